#include "env/files_win32.h"

#include "env/api_error_win32.h"
#include "env/system_library_win32.h"
#include "model/text.h"

namespace mb {
namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// Owns a file handle.
class FileHandle {
public:
    explicit FileHandle(HANDLE h) : h_(h) {}
    ~FileHandle() {
        if (valid()) CloseHandle(h_);
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    bool valid() const { return h_ != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return h_; }

private:
    HANDLE h_;
};

HANDLE OpenForReading(const std::string& path) {
    if (path.empty()) return INVALID_HANDLE_VALUE;
    return CreateFileA(path.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

bool FileExists(const std::string& path) {
    return FileHandle(OpenForReading(path)).valid();
}

std::string SystemDirectory() {
    char buffer[MAX_PATH + 1] = {};
    const UINT length = GetSystemDirectoryA(buffer, sizeof buffer);
    if (length == 0 || length >= sizeof buffer) return {};
    return std::string(buffer);
}

std::int64_t FilesW32::FileSize(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (path.empty() || !GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return -1;
    return (static_cast<std::int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

bool FilesW32::WriteFile(const std::string& path, std::string_view bytes, std::string& reason) {
    FileHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) {
        reason = ApiErrorReason(GetLastError());
        return false;
    }
    while (!bytes.empty()) {
        const DWORD chunk = bytes.size() > 0x40000000 ? 0x40000000 : static_cast<DWORD>(bytes.size());
        DWORD written = 0;
        if (!::WriteFile(file.get(), bytes.data(), chunk, &written, nullptr) || written == 0) {
            reason = ApiErrorReason(GetLastError());
            return false;
        }
        bytes.remove_prefix(written);
    }
    return true;
}

bool FilesW32::DeleteFile(const std::string& path) {
    return !path.empty() && ::DeleteFileA(path.c_str()) != 0;
}

bool FilesW32::ReadLines(const std::string& path, std::vector<std::string>& lines) {
    FileHandle file(OpenForReading(path));
    if (!file.valid()) return false;
    std::string text;
    char buffer[65536];
    DWORD got = 0;
    while (ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr) && got > 0) text.append(buffer, got);

    lines.clear();
    for (const std::string_view line : SplitLines(text)) lines.emplace_back(line);
    return true;
}

namespace {
// The file's version resource; false when it has none.
bool ReadVersionBlock(const std::string& path, std::vector<char>& block) {
    const auto sizeOf = SystemFunction<decltype(&GetFileVersionInfoSizeA)>("version.dll", "GetFileVersionInfoSizeA");
    const auto read = SystemFunction<decltype(&GetFileVersionInfoA)>("version.dll", "GetFileVersionInfoA");
    if (!sizeOf || !read) return false;
    DWORD handle = 0;
    const DWORD size = sizeOf(path.c_str(), &handle);
    if (size == 0) return false;
    block.assign(size, '\0');
    return read(path.c_str(), 0, size, block.data()) != FALSE;
}

bool QueryVersionValue(std::vector<char>& block, const char* key, void** value, UINT* length) {
    const auto query = SystemFunction<decltype(&VerQueryValueA)>("version.dll", "VerQueryValueA");
    return query && query(block.data(), key, value, length) && *value;
}
}  // namespace

bool FilesW32::FileVersion(const std::string& path, std::string& version) {
    std::vector<char> block;
    if (!ReadVersionBlock(path, block)) return false;
    void* fixed = nullptr;
    UINT length = 0;
    if (!QueryVersionValue(block, "\\", &fixed, &length) ||
        length < sizeof(VS_FIXEDFILEINFO))
        return false;
    const auto* info = static_cast<const VS_FIXEDFILEINFO*>(fixed);
    version = std::to_string(HIWORD(info->dwFileVersionMS)) + "." +
              std::to_string(LOWORD(info->dwFileVersionMS)) + "." +
              std::to_string(HIWORD(info->dwFileVersionLS)) + "." +
              std::to_string(LOWORD(info->dwFileVersionLS));
    return true;
}

bool FilesW32::FileProductName(const std::string& path, std::string& name) {
    std::vector<char> block;
    if (!ReadVersionBlock(path, block)) return false;
    struct Translation {
        WORD language;
        WORD codePage;
    };
    void* table = nullptr;
    UINT length = 0;
    if (!QueryVersionValue(block, "\\VarFileInfo\\Translation", &table, &length) ||
        length < sizeof(Translation))
        return false;
    const auto* t = static_cast<const Translation*>(table);
    char key[64];
    wsprintfA(key, "\\StringFileInfo\\%04x%04x\\ProductName", t->language, t->codePage);
    void* text = nullptr;
    if (!QueryVersionValue(block, key, &text, &length) || length == 0) return false;
    name.assign(static_cast<const char*>(text));
    return true;
}

bool FilesW32::FileCreationTime(const std::string& path, std::uint64_t& fileTime) {
    FileHandle file(OpenForReading(path));
    if (!file.valid()) return false;
    FILETIME created;
    if (!GetFileTime(file.get(), &created, nullptr, nullptr)) return false;
    fileTime = (static_cast<std::uint64_t>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
    return true;
}

bool FilesW32::FileWriteTime(const std::string& path, std::uint64_t& fileTime) {
    // From the directory entry: it is read while another program still
    // holds the file open for writing.
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (path.empty() || !GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    fileTime = (static_cast<std::uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime;
    return true;
}

}  // namespace mb
