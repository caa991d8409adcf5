// Helpers of the window tests: deliver pending messages, check a window's
// layout and the fit of its texts, and save a screenshot of it.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "app/screenshot_win32.h"

namespace mb::test {

inline void PumpMessages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

inline std::string WindowText(HWND window) {
    char text[1024] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

// Every visible child must lie inside the client area, and no two may
// overlap, except a control that lies wholly inside a group box.
// Returns the faults found, one line each.
inline std::vector<std::string> LayoutFaults(HWND window) {
    struct Child {
        HWND handle;
        RECT rect;
        bool groupBox;
    };
    std::vector<Child> children;
    for (HWND c = GetWindow(window, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        if (!IsWindowVisible(c)) continue;
        RECT r;
        GetWindowRect(c, &r);
        MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
        char className[32] = "";
        GetClassNameA(c, className, sizeof className);
        const bool groupBox = lstrcmpiA(className, "Button") == 0 &&
                              (GetWindowLongA(c, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX;
        children.push_back({c, r, groupBox});
    }
    RECT client;
    GetClientRect(window, &client);
    std::vector<std::string> faults;
    auto name = [](const Child& c) {
        return std::to_string(GetDlgCtrlID(c.handle)) + " \"" + WindowText(c.handle) + "\"";
    };
    for (std::size_t i = 0; i < children.size(); ++i) {
        const RECT& r = children[i].rect;
        if (r.left < 0 || r.top < 0 || r.right > client.right || r.bottom > client.bottom)
            faults.push_back(name(children[i]) + " outside the client area");
        if (r.right <= r.left || r.bottom <= r.top) faults.push_back(name(children[i]) + " has no size");
        for (std::size_t j = i + 1; j < children.size(); ++j) {
            RECT overlap;
            if (!IntersectRect(&overlap, &r, &children[j].rect)) continue;
            // A control inside a group box lies wholly inside it.
            if (children[i].groupBox != children[j].groupBox) {
                const RECT& inner = children[i].groupBox ? children[j].rect : r;
                if (EqualRect(&overlap, &inner)) continue;
            }
            faults.push_back(name(children[i]) + " overlaps " + name(children[j]));
        }
    }
    return faults;
}

// What keeps the control's text from fitting on one line in its font and
// width ("" when it fits), naming the font the system measured it with.
inline std::string TextFault(HWND control, int padding) {
    HDC dc = GetDC(control);
    HFONT font = reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0));
    HGDIOBJ old = font ? SelectObject(dc, font) : nullptr;
    const std::string text = WindowText(control);
    SIZE size = {};
    GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
    TEXTMETRICA metrics = {};
    GetTextMetricsA(dc, &metrics);
    char face[LF_FACESIZE] = "";
    GetTextFaceA(dc, sizeof face, face);
    if (old) SelectObject(dc, old);
    ReleaseDC(control, dc);
    RECT r;
    GetClientRect(control, &r);
    if (size.cx + padding <= r.right && metrics.tmHeight <= r.bottom) return "";
    return "\"" + text + "\" is " + std::to_string(size.cx) + " x " + std::to_string(metrics.tmHeight) +
           " px in the font \"" + face + "\", the room " + std::to_string(r.right - padding) + " x " +
           std::to_string(r.bottom) + " px";
}

// Saves the window as screenshots\<name>.bmp in the working folder (the
// build folder under CTest), for a person to look at.
inline bool SaveWindowShot(HWND window, const std::string& name) {
    CreateDirectoryA("screenshots", nullptr);
    return SaveWindowScreenshot(window, "screenshots\\" + name + ".bmp");
}

}  // namespace mb::test
