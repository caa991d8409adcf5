#include "env/api_error_win32.h"

namespace mb {

std::string ApiErrorText(DWORD code) {
    // The system sizes the text itself: some messages are longer than any
    // fixed buffer a caller would guess.
    char* buffer = nullptr;
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        code, 0, reinterpret_cast<LPSTR>(&buffer), 0, nullptr);
    std::string text = length != 0 && buffer != nullptr ? std::string(buffer, length) : std::string();
    if (buffer != nullptr) LocalFree(buffer);
    return text;
}

std::string ApiErrorReason(DWORD code) {
    std::string text = ApiErrorText(code);
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' '))
        text.pop_back();
    return text;
}

}  // namespace mb
