// Files through the system's own calls.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "model/ports.h"

namespace mb {

// True when the file can be opened for reading (it is closed at once);
// false for a folder, an empty path, a missing or locked file.
bool FileExists(const std::string& path);

// The system directory (GetSystemDirectoryA), without a trailing backslash.
std::string SystemDirectory();

class FilesW32 : public FilePort {
public:
    bool FileExists(const std::string& path) override { return mb::FileExists(path); }
    std::int64_t FileSize(const std::string& path) override;
    // reason: the system's message, without its closing line break.
    bool WriteFile(const std::string& path, std::string_view bytes, std::string& reason) override;
    bool DeleteFile(const std::string& path) override;
    bool ReadLines(const std::string& path, std::vector<std::string>& lines) override;
    std::string SystemDirectory() override { return mb::SystemDirectory(); }
    bool FileVersion(const std::string& path, std::string& version) override;
    bool FileProductName(const std::string& path, std::string& name) override;
    bool FileCreationTime(const std::string& path, std::uint64_t& fileTime) override;
    bool FileWriteTime(const std::string& path, std::uint64_t& fileTime) override;
};

}  // namespace mb
