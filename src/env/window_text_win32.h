// The text of a window or control, whatever its length.
#pragma once

#include <windows.h>

#include <string>

namespace mb {

// The window's text (GetWindowTextA); empty for a window without text or a
// handle that is no window.
std::string WindowText(HWND window);

}  // namespace mb
