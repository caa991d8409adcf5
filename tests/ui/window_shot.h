// Helpers of the window tests: deliver pending messages, check a window's
// layout, and save what the screen shows of a window as a BMP file under
// screenshots\ in the working folder (the build folder under CTest), so a
// person can look at it.
#pragma once

#include <windows.h>

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

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

// Whether the text fits on one line in the control's font and width.
inline bool TextFits(HWND control, int padding) {
    HDC dc = GetDC(control);
    HFONT font = reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0));
    HGDIOBJ old = font ? SelectObject(dc, font) : nullptr;
    const std::string text = WindowText(control);
    SIZE size = {};
    GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
    TEXTMETRICA metrics = {};
    GetTextMetricsA(dc, &metrics);
    if (old) SelectObject(dc, old);
    ReleaseDC(control, dc);
    RECT r;
    GetClientRect(control, &r);
    return size.cx + padding <= r.right && metrics.tmHeight <= r.bottom;
}

// Saves the window, frame included, as screenshots\<name>.bmp.
inline bool SaveWindowShot(HWND window, const std::string& name) {
    RedrawWindow(window, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    PumpMessages();
    Sleep(200);
    PumpMessages();

    RECT r;
    GetWindowRect(window, &r);
    const int width = r.right - r.left;
    const int height = r.bottom - r.top;
    if (width <= 0 || height <= 0) return false;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY | CAPTUREBLT);
    SelectObject(memory, old);

    BITMAPINFOHEADER info = {};
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height;  // bottom-up, as BMP files store it
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    const int stride = (width * 3 + 3) & ~3;
    std::vector<char> pixels(static_cast<std::size_t>(stride) * height);
    const int rows = GetDIBits(memory, bitmap, 0, height, pixels.data(),
                               reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    if (rows != height) return false;

    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
    CreateDirectoryA("screenshots", nullptr);
    std::ofstream out("screenshots\\" + name + ".bmp", std::ios::binary);
    out.write(reinterpret_cast<const char*>(&file), sizeof file);
    out.write(reinterpret_cast<const char*>(&info), sizeof info);
    out.write(pixels.data(), static_cast<std::streamsize>(pixels.size()));
    return static_cast<bool>(out);
}

}  // namespace mb::test
