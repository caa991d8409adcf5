// The system's message text for an error code.
#pragma once

#include <windows.h>

#include <string>

namespace mb {

// FormatMessageA's text for the code, as the system gives it (its closing
// line break included), however long; empty when the system has none.
std::string ApiErrorText(DWORD code);

// The same without the line break and blanks at its end, for use inside a
// sentence.
std::string ApiErrorReason(DWORD code);

}  // namespace mb
