#include "program_lines.h"

#include "model/text.h"

namespace mb {

bool ParseEncoderArguments(std::string_view args, EncoderArguments& out, std::string& problem) {
    out = EncoderArguments{};
    bool haveJob = false;
    std::size_t pos = 0;
    while (true) {
        while (pos < args.size() && (args[pos] == ' ' || args[pos] == '\t')) ++pos;
        if (pos >= args.size()) break;
        std::size_t end = pos;
        while (end < args.size() && args[end] != ' ' && args[end] != '\t') ++end;
        const std::string_view token = args.substr(pos, end - pos);
        const char sw = token.size() >= 2 && token[0] == '/' ? token[1] : '\0';
        if ((sw == 'r' || sw == 'R') && token.size() == 2) {
            out.runJob = true;
        } else if ((sw == 'x' || sw == 'X') && token.size() == 2) {
            out.exitWhenDone = true;
        } else if (sw == 's' || sw == 'S') {
            if (token.size() > 2 && token[2] == '"') {
                const std::size_t close = args.find('"', pos + 3);
                if (close == std::string_view::npos) {
                    problem = "the job file after /s has no closing '\"'";
                    return false;
                }
                out.jobFile = std::string(args.substr(pos + 3, close - pos - 3));
                end = close + 1;
            } else {
                out.jobFile = std::string(token.substr(2));
            }
            if (out.jobFile.empty()) {
                problem = "expected the job file right after /s";
                return false;
            }
            haveJob = true;
        } else {
            problem = "unknown argument \"" + std::string(token) + "\" (expected /r /x /s<job file>)";
            return false;
        }
        pos = end;
    }
    if (!haveJob) {
        problem = "no job file: expected /s<job file>";
        return false;
    }
    if (!out.exitWhenDone) {
        problem = "no /x: without it the program would stay open after the job";
        return false;
    }
    return true;
}

namespace {

struct Token {
    std::string text;
    bool quoted = false;
};

// Splits the arguments into tokens: blanks separate, double quotes enclose a
// token that may hold blanks, and a ")" at the start of a word stands alone.
bool Tokenize(std::string_view s, std::vector<Token>& out, std::string& problem) {
    std::size_t pos = 0;
    while (pos < s.size()) {
        if (IsBlank(s[pos])) {
            ++pos;
            continue;
        }
        if (s[pos] == '"') {
            const std::size_t close = s.find('"', pos + 1);
            if (close == std::string_view::npos) {
                problem = "a quoted name without its closing '\"'";
                return false;
            }
            out.push_back({std::string(s.substr(pos + 1, close - pos - 1)), true});
            pos = close + 1;
            continue;
        }
        if (s[pos] == ')') {
            out.push_back({")", false});
            ++pos;
            continue;
        }
        std::size_t end = pos;
        while (end < s.size() && !IsBlank(s[end]) && s[end] != '"') ++end;
        out.push_back({std::string(s.substr(pos, end - pos)), false});
        pos = end;
    }
    return true;
}

bool IsGroupOpen(const Token& t) {
    return !t.quoted && t.text.size() >= 3 && t.text.front() == '-' && t.text.back() == '(';
}

std::string Written(const Token& t) { return t.quoted ? "\"" + t.text + "\"" : t.text; }

bool ParseNumber(const std::string& text, long& value) {
    if (text.empty() || text.size() > 9) return false;
    value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    return true;
}

bool ParseCore(const std::vector<Token>& body, BesweetOptions& o, std::string& problem) {
    for (std::size_t i = 0; i < body.size(); ++i) {
        const Token& t = body[i];
        std::string* target = nullptr;
        if (!t.quoted && t.text == "-input") target = &o.input;
        else if (!t.quoted && t.text == "-output") target = &o.output;
        else if (!t.quoted && t.text == "-logfile") target = &o.logFile;
        if (target != nullptr) {
            if (i + 1 >= body.size() || (!body[i + 1].quoted && body[i + 1].text.starts_with("-"))) {
                problem = t.text + " needs a file name in -core( ... )";
                return false;
            }
            *target = body[++i].text;
        } else if (!t.quoted && t.text == "-2ch") {
            o.twoChannels = true;
        } else {
            problem = "unknown -core( option " + Written(t);
            return false;
        }
    }
    return true;
}

bool ParseSsrc(const std::vector<Token>& body, BesweetOptions& o, std::string& problem) {
    for (std::size_t i = 0; i < body.size(); ++i) {
        long rate = 0;
        if (body[i].text == "--rate" && i + 1 < body.size() && ParseNumber(body[i + 1].text, rate) &&
            rate > 0) {
            o.resampleRate = static_cast<std::uint32_t>(rate);
            ++i;
        } else {
            problem = "-ssrc( takes --rate <Hz>, not " + Written(body[i]);
            return false;
        }
    }
    return true;
}

}  // namespace

bool ParseBesweetArguments(std::string_view arguments, BesweetOptions& o, std::string& problem) {
    o = BesweetOptions{};
    std::vector<Token> tokens;
    if (!Tokenize(arguments, tokens, problem)) return false;
    bool haveCore = false, haveSsrc = false;
    for (std::size_t i = 0; i < tokens.size();) {
        const Token& open = tokens[i];
        if (open.text == ")" && !open.quoted) {
            problem = "')' without an open option group";
            return false;
        }
        if (!IsGroupOpen(open)) {
            problem = "unexpected " + Written(open) + " outside an option group";
            return false;
        }
        std::vector<Token> body;
        std::size_t j = i + 1;
        for (; j < tokens.size(); ++j) {
            if (tokens[j].text == ")" && !tokens[j].quoted) break;
            if (IsGroupOpen(tokens[j])) {
                problem = tokens[j].text + " inside " + open.text + " (missing ')')";
                return false;
            }
            body.push_back(tokens[j]);
        }
        if (j >= tokens.size()) {
            problem = open.text + " is not closed with ')'";
            return false;
        }
        const std::string name = open.text.substr(1, open.text.size() - 2);
        bool repeated = false;
        if (name == "core") {
            repeated = haveCore;
            haveCore = true;
            if (!repeated && !ParseCore(body, o, problem)) return false;
        } else if (name == "azid") {
            repeated = o.haveAzid;
            o.haveAzid = true;
            for (const Token& t : body) o.azid.push_back(t.text);
        } else if (name == "ssrc") {
            repeated = haveSsrc;
            haveSsrc = true;
            if (!repeated && !ParseSsrc(body, o, problem)) return false;
        } else if (name == "lame") {
            repeated = o.haveLame;
            o.haveLame = true;
            for (const Token& t : body) {
                if (t.text == "--mp2input" && !t.quoted) o.mp2Input = true;
                else o.lame.push_back(t.text);
            }
        } else {
            problem = "unknown option group " + open.text;
            return false;
        }
        if (repeated) {
            problem = open.text + " given twice";
            return false;
        }
        i = j + 1;
    }
    if (!haveCore) {
        problem = "no -core( group";
        return false;
    }
    if (o.input.empty()) {
        problem = "no input file: -core( needs -input";
        return false;
    }
    if (o.output.empty()) {
        problem = "no output file: -core( needs -output";
        return false;
    }
    return true;
}

std::string_view ArgumentsOf(std::string_view commandLine) {
    std::size_t pos = 0;
    if (!commandLine.empty() && commandLine[0] == '"') {
        const std::size_t close = commandLine.find('"', 1);
        pos = close == std::string_view::npos ? commandLine.size() : close + 1;
    }
    while (pos < commandLine.size() && commandLine[pos] != ' ' && commandLine[pos] != '\t') ++pos;
    while (pos < commandLine.size() && (commandLine[pos] == ' ' || commandLine[pos] == '\t')) ++pos;
    return commandLine.substr(pos);
}

std::string FileNameOf(std::string_view path) {
    const std::size_t slash = path.find_last_of("\\/");
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string LowerExtension(std::string_view path) {
    const std::string name = FileNameOf(path);
    const std::size_t dot = name.rfind('.');
    if (dot == std::string::npos) return {};
    std::string ext = name.substr(dot);
    for (char& c : ext)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return ext;
}

}  // namespace mb
