#include "app/window_proc_win32.h"

namespace mb {

WindowObject::~WindowObject() { DestroyDetached(); }

bool WindowObject::RegisterWindowClass(HINSTANCE instance, const char* className, int iconResource) {
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    if (GetClassInfoExA(instance, className, &windowClass)) return true;
    windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = className;
    if (iconResource != 0) {
        const auto load = [&](int width, int height) {
            return static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(iconResource), IMAGE_ICON,
                                                 GetSystemMetrics(width), GetSystemMetrics(height), 0));
        };
        windowClass.hIcon = load(SM_CXICON, SM_CYICON);
        windowClass.hIconSm = load(SM_CXSMICON, SM_CYSMICON);
        if (!windowClass.hIcon) windowClass.hIcon = LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
    }
    return RegisterClassExA(&windowClass) != 0;
}

HWND WindowObject::CreateObjectWindow(DWORD exStyle, const char* className, const char* caption,
                                      DWORD style, int left, int top, int width, int height, HWND owner,
                                      HINSTANCE instance) {
    // The base's own address: WM_NCCREATE reads the object back as one.
    window_ = CreateWindowExA(exStyle, className, caption, style, left, top, width, height, owner, nullptr,
                              instance, static_cast<WindowObject*>(this));
    return window_;
}

void WindowObject::DestroyDetached() {
    if (window_ && IsWindow(window_)) {
        SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
        DestroyWindow(window_);
    }
    window_ = nullptr;
}

LRESULT CALLBACK WindowObject::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<WindowObject*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->window_ = window;
    }
    auto* self = reinterpret_cast<WindowObject*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (!self) return DefWindowProcA(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        self->window_ = nullptr;
        self->OnWindowGone();
        return DefWindowProcA(window, message, wParam, lParam);
    }
    try {
        return self->HandleMessage(window, message, wParam, lParam);
    } catch (...) {
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

}  // namespace mb
