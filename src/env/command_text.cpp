#include "env/command_text.h"

#include <algorithm>

#include "model/text.h"

namespace mb {

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

}  // namespace mb
