// Pictures of a window as it is on the screen, saved as BMP files, so that
// a person can look at what the tests and the display-less start produced.
#pragma once

#include <windows.h>

#include <string>

namespace mb {

// Saves the client area of the window as a 24-bit BMP file. The
// window must be shown; it is brought to the top and painted first. False
// when the picture could not be taken or written.
bool SaveWindowScreenshot(HWND window, const std::string& path);

}  // namespace mb
