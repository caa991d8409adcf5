// The window procedure of a window that is a C++ object, for each of the
// program's windows. The object comes with WM_NCCREATE (CreateObjectWindow
// passes it along), is kept in GWLP_USERDATA, and forgets its handle at
// WM_NCDESTROY, also when an owner's end takes the window along. Every other
// message goes to the object's HandleMessage; nothing thrown there unwinds
// into the system's code: the message then gets the default handling.
#pragma once

#include <windows.h>

namespace mb {

class WindowObject {
public:
    WindowObject(const WindowObject&) = delete;
    WindowObject& operator=(const WindowObject&) = delete;

protected:
    WindowObject() = default;
    // A window still alive here is ended without reaching the object, whose
    // own part is gone already.
    virtual ~WindowObject();

    // Registers the window class for this window procedure unless the
    // instance has it already: arrow cursor, the face colour as background,
    // and the icon resource iconResource in both sizes (0: none).
    static bool RegisterWindowClass(HINSTANCE instance, const char* className, int iconResource = 0);

    // CreateWindowExA for this object; the handle lands in window_ too.
    HWND CreateObjectWindow(DWORD exStyle, const char* className, const char* caption, DWORD style,
                            int left, int top, int width, int height, HWND owner, HINSTANCE instance);

    // The window's messages from WM_NCCREATE on, but WM_NCDESTROY.
    virtual LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) = 0;
    // Told at WM_NCDESTROY, after the handle is forgotten.
    virtual void OnWindowGone() {}

    // Ends the window without passing its last messages to the object (for
    // a destructor whose collaborators may be gone already).
    void DestroyDetached();

    HWND window_ = nullptr;  // null while the window does not exist

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
};

}  // namespace mb
