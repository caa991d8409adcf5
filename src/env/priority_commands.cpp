#include "env/priority_commands.h"

namespace mb {

std::vector<std::string> SplitCommandLine(std::string_view commandLine) {
    std::vector<std::string> tokens;
    std::string token;
    bool inToken = false;
    bool quoted = false;
    for (char c : commandLine) {
        if (c == '"') {
            quoted = !quoted;
            inToken = true;  // "" is an empty token of its own
        } else if ((c == ' ' || c == '\t') && !quoted) {
            if (inToken) tokens.push_back(token);
            token.clear();
            inToken = false;
        } else {
            token.push_back(c);
            inToken = true;
        }
    }
    if (inToken) tokens.push_back(token);
    return tokens;
}

PriorityScript ParsePriorityCommands(const std::vector<std::string>& tokens) {
    PriorityScript script;
    bool haveWindow = false;
    for (const std::string& token : tokens) {
        const std::string_view t = token;
        const std::string_view key = t.substr(0, 5);
        const std::string_view rest = t.substr(key.size());
        if (key == "QU00:") break;
        if (key == "WI00:") {
            if (!haveWindow) script.windowTitle = std::string(rest);
            haveWindow = true;
        } else if (key == "BT01:") {
            script.commands.push_back({PriorityAction::UncheckBox, kShowInputVideoId, {}});
        } else if (key == "BT02:") {
            script.commands.push_back({PriorityAction::UncheckBox, kShowOutputVideoId, {}});
        } else if (key == "CB00:") {
            script.commands.push_back(
                {PriorityAction::SelectEntry, kProcessPriorityId, std::string(rest)});
        }
    }
    return script;
}

bool TitleMatches(std::string_view title, std::string_view beginning) {
    return !beginning.empty() && title.substr(0, beginning.size()) == beginning;
}

unsigned ParseTimeoutMs(const char* text, unsigned fallback) {
    if (text == nullptr || *text == '\0') return fallback;
    unsigned value = 0;
    int digits = 0;
    for (const char* p = text; *p != '\0'; ++p) {
        if (*p < '0' || *p > '9' || ++digits > 7) return fallback;
        value = value * 10 + static_cast<unsigned>(*p - '0');
    }
    return value;
}

std::size_t EntryBufferLength(std::size_t askedLength) { return 2 * askedLength + 256; }

bool EntryTextMatches(std::wstring_view buffer, std::size_t copied, std::wstring_view wanted) {
    return copied < buffer.size() && copied == wanted.size() && buffer.substr(0, copied) == wanted;
}

}  // namespace mb
