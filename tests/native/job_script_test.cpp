// The job-script grammar the engine reads, against the recorded rows of
// tests/data/engine/job_scripts.txt: escapes, numbers, the shape of a line,
// every statement each program knows and what each one refuses.
#include <gtest/gtest.h>

#include <cstdio>

#include "fakes/fakes.h"
#include "job_script.h"

using namespace mb;

namespace {

// "{hh}" stands for the byte of that value, in the rows and in what they give.
std::string Unescape(const std::string& t) {
    std::string out;
    for (std::size_t i = 0; i < t.size(); ++i)
        if (t[i] == '{' && i + 3 < t.size() && t[i + 3] == '}') out += static_cast<char>(std::stoi(t.substr(i + 1, 2), nullptr, 16)), i += 3;
        else out += t[i];
    return out;
}
std::string Escape(const std::string& t) {
    std::string out;
    for (unsigned char c : t) {
        char hex[8];
        std::snprintf(hex, sizeof hex, "{%02x}", c);
        out += c < 0x20 || c == '{' || c >= 0x7f ? std::string(hex) : std::string(1, static_cast<char>(c));
    }
    return out;
}

// The statements read, one "line: statement" each, or the error with the
// text of its line. A script with an error yields no statement at all.
std::string Read(const std::string& row) {
    const std::size_t bar = row.find(" | ");
    const std::string script = Unescape(row.substr(bar + 3));
    const JobScriptReading r =
        ReadJobScript(script, row.substr(0, bar) == "Nandub" ? ScriptDialect::Nandub : ScriptDialect::VirtualDub);
    if (r.error) {
        EXPECT_TRUE(r.statements.empty()) << row;
        return "error: " + FormatScriptError(*r.error) + " | " + Escape(r.error->lineText) + "\n";
    }
    std::string out;
    for (const ScriptStatement& st : r.statements) out += std::to_string(st.line) + ": " + Escape(StatementText(st)) + "\n";
    return out;
}

}  // namespace

TEST(JobScript, EscapesNumbersLinesAndRefusals) {
    const auto rows = fakes::RecordedRows("engine/job_scripts.txt", Read);
    EXPECT_EQ(rows.got, rows.recorded);
}
