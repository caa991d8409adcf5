// The job-script grammar the engine reads, against the recorded rows of
// tests/data/engine/job_scripts.txt: escapes, numbers, the shape of a line,
// every statement each program knows and what each one refuses.
#include <gtest/gtest.h>

#include "fakes/fakes.h"
#include "job_script.h"

using namespace mb;

namespace {

// The statements read, one "line: statement" each, or the error with the
// text of its line. A script with an error yields no statement at all.
std::string Read(const std::string& row) {
    const std::size_t bar = row.find(" | ");
    const std::string script = fakes::Unescape(row.substr(bar + 3));
    const JobScriptReading r =
        ReadJobScript(script, row.substr(0, bar) == "Nandub" ? ScriptDialect::Nandub : ScriptDialect::VirtualDub);
    if (r.error) {
        EXPECT_TRUE(r.statements.empty()) << row;
        return "error: " + FormatScriptError(*r.error) + " | " + fakes::Escape(r.error->lineText) + "\n";
    }
    std::string out;
    for (const ScriptStatement& st : r.statements) out += std::to_string(st.line) + ": " + fakes::Escape(StatementText(st)) + "\n";
    return out;
}

}  // namespace

TEST(JobScript, EscapesNumbersLinesAndRefusals) {
    const auto rows = fakes::RecordedRows("engine/job_scripts.txt", Read);
    EXPECT_EQ(rows.got, rows.recorded);
}
