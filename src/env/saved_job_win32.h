// Saved jobs read with the system's profile routines, the ones Marobex.ini is
// read with.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "model/saved_job.h"

namespace mb {

// The sections of one INI file (GetPrivateProfileSectionNamesA,
// GetPrivateProfileSectionA). `path` must be a full path: the profile
// routines look for a bare file name in the Windows folder.
class ProfileSavedJobSource : public SavedJobSource {
public:
    explicit ProfileSavedJobSource(std::string path) : path_(std::move(path)) {}
    std::vector<std::string> SectionNames() override;
    std::vector<std::string> SectionLines(const std::string& section) override;
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

// The saved job named on a command line: a relative path is taken from the
// current folder. Null, with the system's reason, when the file cannot be
// opened for reading (missing, a folder, locked).
std::unique_ptr<SavedJobSource> OpenSavedJob(const std::string& path, std::string& reason);

}  // namespace mb
