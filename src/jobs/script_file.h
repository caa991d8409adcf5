// Writing one job file (or the fake AVI) whole through the file port, and
// the text form shared by every job script. Internal to the job writers.
#pragma once

#include <string>
#include <string_view>

#include "model/ports.h"

namespace mb::jobs_detail {

// The lines of a job script, each ended by CR LF (the last one too).
class JobText {
public:
    JobText& Line(std::string_view text) {
        text_.append(text);
        text_.append("\r\n");
        return *this;
    }
    const std::string& Bytes() const { return text_; }

private:
    std::string text_;
};

// "\"" + text + "\"": a text argument of a script statement.
inline std::string Quoted(std::string_view text) {
    std::string q;
    q.reserve(text.size() + 2);
    q += '"';
    q += text;
    q += '"';
    return q;
}

// Creates or replaces the file with the bytes. On failure the message names
// what was being written (e.g. "job file"), the path and the system's reason.
Status WriteWholeFile(FilePort& files, const std::string& path, std::string_view bytes,
                      std::string_view what);

}  // namespace mb::jobs_detail
