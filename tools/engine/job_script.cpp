#include "job_script.h"

#include <cstdio>

#include "model/text.h"

namespace mb {

namespace {

// One method form: object path, method name and the kinds of its arguments,
// "i" for an integer and "s" for a string, in order.
struct MethodForm {
    std::string_view object;
    std::string_view method;
    std::string_view args;
};

// What both programs know. In Nandub VirtualDub.audio2 takes every form of
// VirtualDub.audio.
constexpr MethodForm kCommonForms[] = {
    {"VirtualDub", "Open", "sii"},
    {"VirtualDub", "Close", ""},
    {"VirtualDub", "SaveAVI", "s"},
    {"VirtualDub", "SaveWAV", "s"},
    {"VirtualDub.audio", "SetSource", "i"},
    {"VirtualDub.audio", "SetSource", "s"},
    {"VirtualDub.audio", "SetMode", "i"},
    {"VirtualDub.audio", "SetInterleave", "iiiii"},
    {"VirtualDub.audio", "SetClipMode", "ii"},
    {"VirtualDub.audio", "SetConversion", "iii"},
    {"VirtualDub.audio", "SetConversion", "iiiii"},
    {"VirtualDub.audio", "SetVolume", ""},
    {"VirtualDub.audio", "SetCompression", ""},
    {"VirtualDub.audio", "SetCompression", "iiiiii"},
    {"VirtualDub.audio", "SetCompression", "iiiiiiis"},
    {"VirtualDub.video", "SetMode", "i"},
    {"VirtualDub.video", "SetDepth", "ii"},
    {"VirtualDub.video", "SetFrameRate", "ii"},
    {"VirtualDub.video", "SetIVTC", "iiii"},
    {"VirtualDub.video", "SetRange", "ii"},
    {"VirtualDub.video", "SetCompression", "iiii"},
    {"VirtualDub.video", "SetCompData", "is"},
    {"VirtualDub.video.filters", "Clear", ""},
    {"VirtualDub.subset", "Delete", ""},
};

// The DivX 3 statements of Nandub.
constexpr MethodForm kNandubForms[] = {
    {"VirtualDub.video", "SetDivX", "ii"},
    {"VirtualDub.video", "SetQualityControl", "iiii"},
    {"VirtualDub.video", "SetMotionDetection", "iiii"},
    {"VirtualDub.video", "SetCrispness", "ii"},
    {"VirtualDub.video", "SpaceKF", "i"},
    {"VirtualDub.video", "InternalSCD", "i"},
    {"VirtualDub.video", "SetMinKBPS", "i"},
    {"VirtualDub.video", "SetCurveFile", "s"},
    {"VirtualDub.video", "SetCurveMcFactor", "i"},
    {"VirtualDub.video", "SetCurveCompression", "ii"},
    {"VirtualDub.video", "SetCurveCompression", "iii"},
    {"VirtualDub.video", "SetCurveFilter", "ii"},
    {"VirtualDub.video", "SetCurveCredits", "ii"},
    {"VirtualDub.video", "SetLumaCorrectionAmp", "iii"},
    {"VirtualDub.video", "SetCurveRedist", "i"},
    {"VirtualDub.video", "SetCompLevelsMain", "ii"},
    {"VirtualDub.video", "SetCompLevelsA", "iii"},
    {"VirtualDub.video", "SetCompLevelsB", "iii"},
    {"VirtualDub.video", "SetCompLevelsC", "iii"},
    {"VirtualDub.video", "SetCompLevelsD", "iii"},
    {"VirtualDub.video", "SetCompLevelsE", "iii"},
    {"VirtualDub.video", "SetCompLevelK", "ii"},
    {"VirtualDub.video", "SetBitsReservoir", "iiiiii"},
    {"VirtualDub.video", "SetLowBrCorrection", "ii"},
    {"VirtualDub.video", "NoAVIOutput", "i"},
    {"VirtualDub.video", "GenStats", "si"},
    {"VirtualDub.video", "SetEncodingControl", "s"},
};

std::string KindsText(std::string_view kinds) {
    std::string out = "(";
    for (std::size_t i = 0; i < kinds.size(); ++i) {
        if (i > 0) out += ", ";
        out += kinds[i] == 's' ? "string" : "int";
    }
    return out + ")";
}

std::string ArgKinds(const std::vector<ScriptValue>& args) {
    std::string kinds;
    for (const ScriptValue& v : args) kinds.push_back(v.isText ? 's' : 'i');
    return kinds;
}

// Checks a parsed statement against the forms the dialect knows; returns the
// error text, or an empty text when a form matches exactly.
std::string CheckForm(const ScriptStatement& st, ScriptDialect dialect) {
    std::string_view object = st.object;
    if (dialect == ScriptDialect::Nandub && object == "VirtualDub.audio2") object = "VirtualDub.audio";
    const std::string kinds = ArgKinds(st.args);
    std::vector<std::string_view> known;
    auto scan = [&](const auto& forms) {
        for (const MethodForm& f : forms) {
            if (f.object != object || f.method != st.method) continue;
            if (f.args == kinds) return true;
            known.push_back(f.args);
        }
        return false;
    };
    if (scan(kCommonForms)) return {};
    if (dialect == ScriptDialect::Nandub && scan(kNandubForms)) return {};
    const std::string name = st.object.empty() ? st.method : st.object + "." + st.method;
    if (known.empty()) return name + " is not a method the program knows";
    std::string expected;
    for (std::size_t i = 0; i < known.size(); ++i) {
        if (i > 0) expected += " or ";
        expected += KindsText(known[i]);
    }
    return name + KindsText(kinds) + " does not match: expected " + name + " with " + expected;
}

enum class Tok { Ident, Int, Text, Dot, LParen, RParen, Comma, Semicolon, Minus, End };

struct Token {
    Tok kind = Tok::End;
    std::string text;        // identifier, or string contents with escapes resolved
    std::uint32_t value = 0; // integer literal, before any unary minus
};

bool IsIdentStart(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}
bool IsIdentChar(char c) { return IsIdentStart(c) || (c >= '0' && c <= '9'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string Shown(char c) {
    if (static_cast<unsigned char>(c) >= 0x20 && static_cast<unsigned char>(c) < 0x7F)
        return std::string("'") + c + "'";
    char buf[16];
    std::snprintf(buf, sizeof buf, "character 0x%02X", static_cast<unsigned char>(c));
    return buf;
}

// Splits one line into tokens. A "//" ends the line.
class LineLexer {
public:
    explicit LineLexer(std::string_view line) : s_(line) {}

    // The next token, or false with error() set.
    bool Next(Token& t) {
        while (pos_ < s_.size() && (s_[pos_] == ' ' || s_[pos_] == '\t')) ++pos_;
        t = Token{};
        if (pos_ >= s_.size()) return true;
        const char c = s_[pos_];
        if (c == '/' && pos_ + 1 < s_.size() && s_[pos_ + 1] == '/') {
            pos_ = s_.size();
            return true;
        }
        if (IsIdentStart(c)) {
            const std::size_t start = pos_;
            while (pos_ < s_.size() && IsIdentChar(s_[pos_])) ++pos_;
            t.kind = Tok::Ident;
            t.text = std::string(s_.substr(start, pos_ - start));
            return true;
        }
        if (IsDigit(c)) return Number(t);
        if (c == '"') return String(t);
        ++pos_;
        switch (c) {
            case '.': t.kind = Tok::Dot; return true;
            case '(': t.kind = Tok::LParen; return true;
            case ')': t.kind = Tok::RParen; return true;
            case ',': t.kind = Tok::Comma; return true;
            case ';': t.kind = Tok::Semicolon; return true;
            case '-': t.kind = Tok::Minus; return true;
            default: break;
        }
        error_ = "unexpected " + Shown(c);
        return false;
    }

    const std::string& error() const { return error_; }

private:
    bool Number(Token& t) {
        const std::size_t start = pos_;
        std::uint64_t value = 0;
        bool tooLarge = false;
        auto add = [&](unsigned base, unsigned digit) {
            value = value * base + digit;
            if (value > 0xFFFFFFFFull) tooLarge = true;
        };
        if (s_[pos_] == '0' && pos_ + 1 < s_.size() && s_[pos_ + 1] == 'x') {
            pos_ += 2;
            const std::size_t digits = pos_;
            while (pos_ < s_.size() && HexValue(s_[pos_]) >= 0)
                add(16, static_cast<unsigned>(HexValue(s_[pos_++])));
            if (pos_ == digits) {
                error_ = "expected hexadecimal digits after \"0x\"";
                return false;
            }
        } else {
            const unsigned base = s_[pos_] == '0' ? 8 : 10;
            while (pos_ < s_.size() && IsDigit(s_[pos_])) {
                const unsigned digit = static_cast<unsigned>(s_[pos_] - '0');
                if (digit >= base) {
                    while (pos_ < s_.size() && IsDigit(s_[pos_])) ++pos_;
                    error_ = "invalid octal number " + std::string(s_.substr(start, pos_ - start)) +
                             " (a leading 0 means octal: digits 0 to 7)";
                    return false;
                }
                add(base, digit);
                ++pos_;
            }
        }
        if (pos_ < s_.size() && IsIdentChar(s_[pos_])) {
            while (pos_ < s_.size() && IsIdentChar(s_[pos_])) ++pos_;
            error_ = "invalid number " + std::string(s_.substr(start, pos_ - start));
            return false;
        }
        if (tooLarge) {
            error_ = "number " + std::string(s_.substr(start, pos_ - start)) + " does not fit 32 bits";
            return false;
        }
        t.kind = Tok::Int;
        t.value = static_cast<std::uint32_t>(value);
        return true;
    }

    bool String(Token& t) {
        ++pos_;  // opening quote
        std::string out;
        while (true) {
            if (pos_ >= s_.size()) {
                error_ = "string without its closing '\"'";
                return false;
            }
            const char c = s_[pos_++];
            if (c == '"') break;
            if (c != '\\') {
                out.push_back(c);
                continue;
            }
            if (pos_ >= s_.size()) {
                error_ = "string without its closing '\"'";
                return false;
            }
            const char e = s_[pos_++];
            switch (e) {
                case 'a': out.push_back('\a'); break;
                case 'b': out.push_back('\b'); break;
                case 'f': out.push_back('\f'); break;
                case 'n': out.push_back('\n'); break;
                case 'r': out.push_back('\r'); break;
                case 't': out.push_back('\t'); break;
                case 'v': out.push_back('\v'); break;
                case 'x': {
                    const int hi = pos_ < s_.size() ? HexValue(s_[pos_]) : -1;
                    const int lo = pos_ + 1 < s_.size() ? HexValue(s_[pos_ + 1]) : -1;
                    if (hi < 0 || lo < 0) {
                        error_ = "expected two hexadecimal digits after \\x";
                        return false;
                    }
                    out.push_back(static_cast<char>(hi * 16 + lo));
                    pos_ += 2;
                    break;
                }
                default: out.push_back(e); break;  // \c means c
            }
        }
        t.kind = Tok::Text;
        t.text = std::move(out);
        return true;
    }

    std::string_view s_;
    std::size_t pos_ = 0;
    std::string error_;
};

std::string_view TokName(Tok k) {
    switch (k) {
        case Tok::Ident: return "a name";
        case Tok::Int: return "a number";
        case Tok::Text: return "a string";
        case Tok::Dot: return "'.'";
        case Tok::LParen: return "'('";
        case Tok::RParen: return "')'";
        case Tok::Comma: return "','";
        case Tok::Semicolon: return "';'";
        case Tok::Minus: return "'-'";
        case Tok::End: return "the end of the line";
    }
    return "?";
}

// Reads the statements of one line into out; returns the error text, or an
// empty text when the line is sound.
std::string ReadLine(std::string_view line, int lineNumber, ScriptDialect dialect,
                     std::vector<ScriptStatement>& out) {
    LineLexer lex(line);
    Token t;
    auto next = [&]() { return lex.Next(t); };
    if (!next()) return lex.error();
    while (t.kind != Tok::End) {
        ScriptStatement st;
        st.line = lineNumber;
        if (t.kind != Tok::Ident) return "expected a statement, found " + std::string(TokName(t.kind));
        std::string path = t.text;
        std::string last;
        if (!next()) return lex.error();
        while (t.kind == Tok::Dot) {
            if (!next()) return lex.error();
            if (t.kind != Tok::Ident)
                return "expected a name after \"" + path + ".\", found " + std::string(TokName(t.kind));
            path += "." + t.text;
            if (!next()) return lex.error();
        }
        const std::size_t dot = path.rfind('.');
        if (dot == std::string::npos) {
            st.method = path;
        } else {
            st.object = path.substr(0, dot);
            st.method = path.substr(dot + 1);
        }
        if (t.kind != Tok::LParen)
            return "expected '(' after " + path + ", found " + std::string(TokName(t.kind));
        if (!next()) return lex.error();
        if (t.kind != Tok::RParen) {
            while (true) {
                ScriptValue v;
                if (t.kind == Tok::Minus) {
                    if (!next()) return lex.error();
                    if (t.kind != Tok::Int)
                        return "expected a number after '-' in " + path + ", found " +
                               std::string(TokName(t.kind));
                    v.number = static_cast<std::int32_t>(0u - t.value);
                } else if (t.kind == Tok::Int) {
                    v.number = static_cast<std::int32_t>(t.value);
                } else if (t.kind == Tok::Text) {
                    v.isText = true;
                    v.text = t.text;
                } else {
                    return "expected a number or a string as argument " +
                           std::to_string(st.args.size() + 1) + " of " + path + ", found " +
                           std::string(TokName(t.kind));
                }
                st.args.push_back(std::move(v));
                if (!next()) return lex.error();
                if (t.kind == Tok::RParen) break;
                if (t.kind != Tok::Comma)
                    return "expected ',' or ')' in the arguments of " + path + ", found " +
                           std::string(TokName(t.kind));
                if (!next()) return lex.error();
            }
        }
        if (!next()) return lex.error();
        if (t.kind != Tok::Semicolon)
            return "expected ';' after " + StatementText(st) + ", found " + std::string(TokName(t.kind));
        if (std::string problem = CheckForm(st, dialect); !problem.empty()) return problem;
        out.push_back(std::move(st));
        if (!next()) return lex.error();
    }
    return {};
}

}  // namespace

JobScriptReading ReadJobScript(std::string_view text, ScriptDialect dialect) {
    JobScriptReading result;
    int lineNumber = 0;
    for (const std::string_view line : SplitLines(text)) {
        ++lineNumber;
        std::string problem = ReadLine(line, lineNumber, dialect, result.statements);
        if (!problem.empty()) {
            result.statements.clear();
            result.error = ScriptError{lineNumber, std::move(problem), std::string(line)};
            return result;
        }
    }
    return result;
}

std::string FormatScriptError(const ScriptError& error) {
    return "line " + std::to_string(error.line) + ": " + error.message;
}

std::string StatementText(const ScriptStatement& st) {
    std::string out = st.object.empty() ? st.method : st.object + "." + st.method;
    out += "(";
    for (std::size_t i = 0; i < st.args.size(); ++i) {
        if (i > 0) out += ",";
        const ScriptValue& v = st.args[i];
        if (!v.isText) {
            out += std::to_string(v.number);
            continue;
        }
        out += '"';
        for (char c : v.text) {
            const auto u = static_cast<unsigned char>(c);
            if (c == '"' || c == '\\') {
                out += '\\';
                out += c;
            } else if (u < 0x20 || u == 0x7F) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\x%02x", u);
                out += buf;
            } else {
                out += c;
            }
        }
        out += '"';
    }
    return out + ")";
}

}  // namespace mb
