#include "env/command_text.h"

#include <algorithm>
#include <vector>

#include "model/text.h"

namespace mb {
namespace {

bool EndsWithProgramExtension(std::string_view text) {
    if (text.size() < 4) return false;
    const std::string_view tail = text.substr(text.size() - 4);
    return SameNoCase(tail, ".exe") || SameNoCase(tail, ".com") || SameNoCase(tail, ".bat");
}

}  // namespace

std::string FileDialogFilter(std::string_view filter) {
    std::string result(filter);
    if (result.empty() || result.back() != '|') result += '|';
    std::replace(result.begin(), result.end(), '|', '\0');
    return result;
}

std::string TrimBlanks(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(' ');
    return std::string(text.substr(first, last - first + 1));
}

std::string QuoteProgramPath(const std::string& commandLine,
                             const std::function<bool(const std::string&)>& fileExists) {
    if (commandLine.empty() || commandLine.front() == '"') return commandLine;

    std::vector<std::size_t> ends;  // lengths of the candidate program paths, shortest first
    for (std::size_t n = 4; n <= commandLine.size(); ++n) {
        if (n < commandLine.size() && !IsBlank(commandLine[n])) continue;
        if (EndsWithProgramExtension(std::string_view(commandLine).substr(0, n))) ends.push_back(n);
    }
    if (ends.empty()) return commandLine;

    std::size_t length = ends.front();
    for (auto it = ends.rbegin(); it != ends.rend(); ++it) {
        if (fileExists(commandLine.substr(0, *it))) {
            length = *it;
            break;
        }
    }
    const std::string program = commandLine.substr(0, length);
    if (std::none_of(program.begin(), program.end(), IsBlank)) return commandLine;
    return "\"" + program + "\"" + commandLine.substr(length);
}

}  // namespace mb
