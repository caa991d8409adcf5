#include "env/api_error_win32.h"

namespace mb {

std::string ApiErrorText(DWORD code) {
    char buffer[255];
    const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                        nullptr, code, 0, buffer, sizeof buffer, nullptr);
    return std::string(buffer, length);
}

std::string ApiErrorReason(DWORD code) {
    std::string text = ApiErrorText(code);
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' '))
        text.pop_back();
    return text;
}

}  // namespace mb
