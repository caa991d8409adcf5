#include "jobs/script_file.h"

namespace mb::jobs_detail {

Status WriteWholeFile(FilePort& files, const std::string& path, std::string_view bytes,
                      std::string_view what) {
    std::string reason;
    if (files.WriteFile(path, bytes, reason)) return Status::Ok();
    std::string message = "Cannot write the ";
    message.append(what);
    message += ' ';
    message += path;
    if (!reason.empty()) {
        message += ": ";
        message += reason;
    }
    if (message.back() != '.') message += '.';
    return Status::Failure(std::move(message));
}

}  // namespace mb::jobs_detail
