#include "standin/besweet_job.h"

#include <cmath>
#include <cstdio>

#include "model/text.h"
#include "standin/media_files.h"

namespace mb {

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
        std::string written = open.text;
        for (const Token& t : body) written += " " + Written(t);
        written += " )";
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
        o.groups.push_back(written);
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

bool PlanMp3(const BesweetOptions& o, Mp3Plan& plan, std::string& problem) {
    plan = Mp3Plan{};
    long low = -1, high = -1, average = -1;
    bool vbr = false;
    for (std::size_t i = 0; i < o.lame.size(); ++i) {
        const std::string& t = o.lame[i];
        const bool takesNumber = t == "-b" || t == "-B" || t == "--abr" || t == "--alt-preset";
        if (takesNumber) {
            long v = 0;
            if (i + 1 >= o.lame.size() || !ParseNumber(o.lame[i + 1], v) || v <= 0) {
                problem = "LAME option " + t + " needs a bitrate in kbit/s";
                return false;
            }
            ++i;
            if (t == "-b") low = v;
            else if (t == "-B") high = v;
            else average = v;
        } else if (t == "-v" || t.starts_with("--vbr-")) {
            vbr = true;
        }
    }
    if (vbr) {
        plan.mode = "VBR";
        plan.kbpsLow = Mp3BitrateAtMost(low > 0 ? static_cast<int>(low) : 32);
        plan.kbpsHigh = Mp3BitrateAtMost(high > 0 ? static_cast<int>(high) : 320);
    } else if (average > 0) {
        plan.mode = "ABR";
        plan.kbpsLow = plan.kbpsHigh = Mp3BitrateAtMost(static_cast<int>(average));
    } else {
        plan.mode = "CBR";
        plan.kbpsLow = plan.kbpsHigh = Mp3BitrateAtMost(low > 0 ? static_cast<int>(low) : 128);
    }
    if (o.resampleRate != 0) {
        if (o.resampleRate != 32000 && o.resampleRate != 44100 && o.resampleRate != 48000) {
            problem = "MPEG-1 audio has no rate of " + std::to_string(o.resampleRate) + " Hz";
            return false;
        }
        plan.samplesPerSec = o.resampleRate;
    }
    return true;
}

bool RunBesweet(std::string_view commandLine, double seconds, StandinFiles& files, TraceRecord& trace) {
    const std::string_view arguments = ArgumentsOf(commandLine);
    std::vector<std::string> log;
    log.push_back("BeSweet stand-in");
    log.push_back("Command line: " + std::string(arguments));

    BesweetOptions o;
    std::string problem;
    std::string output;
    const bool parsed = ParseBesweetArguments(arguments, o, problem);
    if (!o.input.empty()) trace.Add("input", o.input);
    if (!o.output.empty()) trace.Add("output", o.output);
    if (!o.logFile.empty()) trace.Add("log file", o.logFile);
    for (const std::string& g : o.groups) trace.Add("group", g);

    if (parsed && !files.Exists(o.input)) problem = "cannot open the input file \"" + o.input + "\"";
    if (parsed && problem.empty()) {
        log.push_back("Input: " + o.input);
        log.push_back("Output: " + o.output);
        for (const std::string& g : o.groups) log.push_back("Options: " + g);
        const std::string ext = LowerExtension(o.output);
        if (ext == ".mp3") {
            Mp3Plan plan;
            if (PlanMp3(o, plan, problem)) {
                const std::string what = std::to_string(plan.samplesPerSec) + " Hz, " + plan.mode + " " +
                                         std::to_string(plan.kbpsLow) +
                                         (plan.kbpsHigh != plan.kbpsLow
                                              ? " to " + std::to_string(plan.kbpsHigh)
                                              : std::string()) +
                                         " kbit/s";
                trace.Add("mp3", what);
                log.push_back("LAME: " + what);
                const auto estimate = static_cast<std::int64_t>(seconds * plan.kbpsHigh * 125) + 1440;
                if (estimate > kStandinMaxFileBytes)
                    problem = TooLargeText(o.output, estimate);
                else
                    output = Mp3Bytes(plan.samplesPerSec, plan.kbpsLow, plan.kbpsHigh, seconds);
            }
        } else if (ext == ".wav") {
            const AudioFormat f = PcmFormat(o.resampleRate ? o.resampleRate : 48000, 2, 16);
            log.push_back("WAV: " + std::to_string(f.samplesPerSec) + " Hz, 2 channels, 16 bits");
            std::int64_t bytes = std::llround(seconds * f.avgBytesPerSec);
            bytes -= bytes % f.blockAlign;
            if (bytes > kStandinMaxFileBytes)
                problem = TooLargeText(o.output, bytes);
            else
                output = WavBytes(f, bytes);
        } else {
            problem = "no encoder for the output \"" + o.output + "\" (MP3 or WAV only)";
        }
    }

    bool ok = problem.empty();
    if (ok) {
        std::string reason;
        if (files.Write(o.output, output, reason)) {
            trace.Add("wrote", WrittenEntry(o.output, static_cast<std::int64_t>(output.size())));
            char duration[32];
            std::snprintf(duration, sizeof duration, "Duration: %g s", seconds);
            log.push_back(duration);
            log.push_back("Wrote " + std::to_string(output.size()) + " bytes");
            log.push_back("Conversion completed");
        } else {
            problem = "cannot write \"" + o.output + "\": " + reason;
            ok = false;
        }
    }
    if (!ok) {
        trace.Add("error", problem);
        log.push_back("Error: " + problem);
        log.push_back("Nothing was converted");
    }
    if (!o.logFile.empty()) {
        std::string text;
        for (const std::string& line : log) text += line + "\r\n";
        std::string reason;
        if (files.Write(o.logFile, text, reason))
            trace.Add("wrote", WrittenEntry(o.logFile, static_cast<std::int64_t>(text.size())));
        else
            trace.Add("error", "cannot write the log file \"" + o.logFile + "\": " + reason);
    }
    return ok;
}

}  // namespace mb
