#include "env/saved_job_win32.h"

#include "env/api_error_win32.h"

namespace mb {

namespace {

// The profile routines fill a buffer with NUL-ended strings and one more NUL
// at the end, and say the buffer was too small by returning its size - 2.
template <typename Read>
std::vector<std::string> ReadStringList(Read read) {
    std::vector<char> buffer(4096);
    DWORD length = 0;
    for (;;) {
        length = read(buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length < buffer.size() - 2 || buffer.size() >= (1u << 26)) break;
        buffer.resize(buffer.size() * 2);
    }
    std::vector<std::string> list;
    const char* p = buffer.data();
    const char* end = p + length;
    while (p < end && *p) {
        std::string item(p);
        p += item.size() + 1;
        list.push_back(std::move(item));
    }
    return list;
}

}  // namespace

std::vector<std::string> ProfileSavedJobSource::SectionNames() {
    return ReadStringList([this](char* buffer, DWORD size) {
        return GetPrivateProfileSectionNamesA(buffer, size, path_.c_str());
    });
}

std::vector<std::string> ProfileSavedJobSource::SectionLines(const std::string& section) {
    return ReadStringList([this, &section](char* buffer, DWORD size) {
        return GetPrivateProfileSectionA(section.c_str(), buffer, size, path_.c_str());
    });
}

std::unique_ptr<SavedJobSource> OpenSavedJob(const std::string& path, std::string& reason) {
    if (path.empty()) {
        reason = "no file name";
        return nullptr;
    }
    std::string full(MAX_PATH, '\0');
    for (;;) {
        const DWORD length = GetFullPathNameA(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
        if (length == 0) {
            reason = ApiErrorReason(GetLastError());
            return nullptr;
        }
        if (length < full.size()) {
            full.resize(length);
            break;
        }
        full.resize(length);
    }
    HANDLE file = CreateFileA(full.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        reason = ApiErrorReason(GetLastError());
        return nullptr;
    }
    const DWORD attributes = GetFileAttributesA(full.c_str());
    CloseHandle(file);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        reason = "it is a folder";
        return nullptr;
    }
    return std::make_unique<ProfileSavedJobSource>(std::move(full));
}

}  // namespace mb
