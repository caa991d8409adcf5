// The window procedure of a window that is a C++ object: the object comes
// with WM_NCCREATE (lpCreateParams), is kept in GWLP_USERDATA, and forgets
// its handle at WM_NCDESTROY, also when an owner's end takes the window
// along. Nothing thrown in a handler unwinds into the system's code.
#pragma once

#include <windows.h>

namespace mb {

template <typename T>
LRESULT RouteWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, HWND T::*handle,
                           LRESULT (T::*handler)(HWND, UINT, WPARAM, LPARAM)) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<T*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->*handle = window;
    }
    auto* self = reinterpret_cast<T*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (!self) return DefWindowProcA(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        self->*handle = nullptr;
        return DefWindowProcA(window, message, wParam, lParam);
    }
    try {
        return (self->*handler)(window, message, wParam, lParam);
    } catch (...) {
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

}  // namespace mb
