#include "env/profile_win32.h"

#include <vector>

#include "env/api_error_win32.h"

namespace mb {

std::string ReadIniValue(const std::string& section, const std::string& key,
                         const std::string& file) {
    // A value that fills the buffer may go on: read again with room to spare.
    for (DWORD size = 750;; size *= 2) {
        std::vector<char> buffer(size);
        const DWORD length = GetPrivateProfileStringA(section.c_str(), key.c_str(), "", buffer.data(),
                                                      size, file.c_str());
        if (length + 1 < size || size >= (1u << 24)) return std::string(buffer.data(), length);
    }
}

bool WriteIniValue(const std::string& section, const std::string& key, const std::string& value,
                   const std::string& file) {
    std::string upper = key;
    if (!upper.empty()) CharUpperBuffA(upper.data(), static_cast<DWORD>(upper.size()));
    return WritePrivateProfileStringA(section.c_str(), upper.c_str(), value.c_str(), file.c_str()) != 0;
}

Status WriteIniValues(const std::string& section,
                      const std::vector<std::pair<std::string, std::string>>& values,
                      const std::string& file) {
    const auto failure = [&](DWORD code) {
        return Status::Failure("Cannot save the settings to " + file + ": " + ApiErrorReason(code));
    };
    // The copy lies in the file's own folder, so that putting it in place
    // is a rename on the same drive.
    const std::size_t slash = file.find_last_of("\\/");
    const std::string folder = slash == std::string::npos ? "." : file.substr(0, slash == 2 ? 3 : slash);
    char copy[MAX_PATH];
    if (GetTempFileNameA(folder.c_str(), "mbx", 0, copy) == 0) return failure(GetLastError());

    DWORD error = ERROR_SUCCESS;
    if (GetFileAttributesA(file.c_str()) != INVALID_FILE_ATTRIBUTES && !CopyFileA(file.c_str(), copy, FALSE))
        error = GetLastError();
    for (const auto& [key, value] : values) {
        if (error != ERROR_SUCCESS) break;
        if (!WriteIniValue(section, key, value, copy)) error = GetLastError();
    }
    if (error == ERROR_SUCCESS) {
        WritePrivateProfileStringA(nullptr, nullptr, nullptr, copy);  // flushes a cached copy
        if (!MoveFileExA(copy, file.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            error = GetLastError();
    }
    if (error == ERROR_SUCCESS) return Status::Ok();
    DeleteFileA(copy);
    return failure(error);
}

}  // namespace mb
