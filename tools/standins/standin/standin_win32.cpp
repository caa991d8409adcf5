#include "standin/standin_win32.h"

#include <windows.h>

#include <algorithm>

namespace mb {

namespace {

// A file handle closed when it goes out of scope.
class FileHandle {
public:
    explicit FileHandle(HANDLE h) : h_(h) {}
    ~FileHandle() {
        if (h_ != INVALID_HANDLE_VALUE) CloseHandle(h_);
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    HANDLE get() const { return h_; }
    bool valid() const { return h_ != INVALID_HANDLE_VALUE; }

private:
    HANDLE h_;
};

HANDLE OpenForReading(const std::string& path) {
    return CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                       nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

bool WriteAll(HANDLE h, std::string_view bytes) {
    while (!bytes.empty()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 24));
        DWORD written = 0;
        if (!::WriteFile(h, bytes.data(), chunk, &written, nullptr) || written == 0) return false;
        bytes.remove_prefix(written);
    }
    return true;
}

}  // namespace

std::string SystemErrorText(unsigned long code) {
    char buffer[512] = {};
    const DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                                   buffer, sizeof buffer, nullptr);
    std::string text(buffer, n);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) text.pop_back();
    if (text.empty()) text = "error " + std::to_string(code);
    return text;
}

bool Win32StandinFiles::Exists(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::int64_t Win32StandinFiles::Size(const std::string& path) {
    FileHandle h(OpenForReading(path));
    LARGE_INTEGER size;
    if (!h.valid() || !GetFileSizeEx(h.get(), &size)) return -1;
    return size.QuadPart;
}

bool Win32StandinFiles::ReadStart(const std::string& path, std::size_t maxBytes, std::string& bytes) {
    bytes.clear();
    FileHandle h(OpenForReading(path));
    if (!h.valid()) return false;
    char buffer[65536];
    while (bytes.size() < maxBytes) {
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(sizeof buffer, maxBytes - bytes.size()));
        DWORD got = 0;
        if (!ReadFile(h.get(), buffer, want, &got, nullptr)) return false;
        if (got == 0) break;
        bytes.append(buffer, got);
    }
    return true;
}

bool Win32StandinFiles::Write(const std::string& path, std::string_view bytes, std::string& reason) {
    FileHandle h(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!h.valid() || !WriteAll(h.get(), bytes)) {
        reason = SystemErrorText(GetLastError());
        return false;
    }
    return true;
}

std::optional<std::string> EnvironmentValue(const char* name) {
    char buffer[1024];
    const DWORD n = GetEnvironmentVariableA(name, buffer, sizeof buffer);
    if (n == 0) return std::nullopt;
    if (n < sizeof buffer) return std::string(buffer, n);
    std::string big(n, '\0');
    const DWORD m = GetEnvironmentVariableA(name, big.data(), n);
    big.resize(m < n ? m : 0);
    return big;
}

double StandinSeconds() {
    const auto v = EnvironmentValue("MAROBEX_STANDIN_SECONDS");
    return StandinSecondsFrom(v ? v->c_str() : nullptr);
}

int StandinWindowMs() {
    const auto v = EnvironmentValue("MAROBEX_STANDIN_WINDOW_MS");
    return StandinWindowMsFrom(v ? v->c_str() : nullptr);
}

std::string StandinTracePath() {
    const auto v = EnvironmentValue("MAROBEX_STANDIN_TRACE");
    return StandinTracePathFrom(v ? v->c_str() : nullptr);
}

bool AppendTraceRecord(const TraceRecord& record, std::string& reason) {
    const std::string text = FormatTraceRecord(record);
    const std::string path = StandinTracePath();
    // Another program may hold the file for a moment: try again briefly.
    for (int attempt = 0;; ++attempt) {
        FileHandle h(CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (h.valid()) {
            if (WriteAll(h.get(), text)) return true;
            reason = SystemErrorText(GetLastError());
            return false;
        }
        const DWORD error = GetLastError();
        if (error != ERROR_SHARING_VIOLATION || attempt >= 50) {
            reason = SystemErrorText(error);
            return false;
        }
        Sleep(20);
    }
}

bool SeenWelcomeIsSet() {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Freeware\\VirtualDub", 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return false;
    DWORD type = 0, value = 0, size = sizeof value;
    const LONG r = RegQueryValueExA(key, "SeenWelcome", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
    RegCloseKey(key);
    return r == ERROR_SUCCESS && type == REG_DWORD && size == sizeof value && value == 1;
}

}  // namespace mb
