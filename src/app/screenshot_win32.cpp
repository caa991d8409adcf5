#include "app/screenshot_win32.h"

#include <cstdio>
#include <vector>

namespace mb {

namespace {

// Delivers what is waiting, paint messages included, so that the picture
// shows the window's current state.
void PaintNow(HWND window) {
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

bool WriteBmp(const std::string& path, int width, int height, const std::vector<unsigned char>& bits) {
    BITMAPINFOHEADER info{};
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    info.biSizeImage = static_cast<DWORD>(bits.size());
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + info.biSizeImage;

    FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) return false;
    const bool ok = std::fwrite(&file, sizeof file, 1, out) == 1 && std::fwrite(&info, sizeof info, 1, out) == 1 &&
                    std::fwrite(bits.data(), 1, bits.size(), out) == bits.size();
    return std::fclose(out) == 0 && ok;
}

}  // namespace

bool SaveWindowScreenshot(HWND window, const std::string& path) {
    if (!IsWindow(window) || !IsWindowVisible(window)) return false;
    SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    PaintNow(window);

    // The client area: the frame is drawn by the window manager, which a
    // virtual display may not have.
    RECT rect{};
    GetClientRect(window, &rect);
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&rect), 2);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0) return false;

    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    // The window as the screen shows it; where the system cannot copy from
    // the screen, the window paints itself into the bitmap.
    bool copied = BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY) != FALSE;
    if (!copied) copied = PrintWindow(window, memory, 0) != FALSE;
    SelectObject(memory, old);

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    const std::size_t stride = (static_cast<std::size_t>(width) * 3 + 3) & ~static_cast<std::size_t>(3);
    std::vector<unsigned char> bits(stride * static_cast<std::size_t>(height));
    const bool read = copied && GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), bits.data(), &info,
                                          DIB_RGB_COLORS) == height;
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return read && WriteBmp(path, width, height, bits);
}

}  // namespace mb
