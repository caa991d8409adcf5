// Small functions of the core and the engine against the recorded rows of
// tests/data/functions.txt: "== Name | argument | ..." and what the call
// gives, both with "{hh}" for bytes that do not print.
#include <gtest/gtest.h>

#include <charconv>
#include <functional>
#include <map>

#include "engine_plan.h"
#include "env/codec_detection.h"
#include "env/command_text.h"
#include "env/os_version.h"
#include "env/priority_commands.h"
#include "fakes/fakes.h"
#include "jobs/source_facts.h"
#include "model/numbers.h"
#include "model/text.h"
#include "run/encode_log.h"

using namespace mb;

namespace {

using Args = std::vector<std::string>;

std::string Real(double v) {
    char text[64];
    return std::string(text, std::to_chars(text, text + sizeof text, v).ptr);
}
std::string Yes(bool b) { return b ? "yes" : "no"; }
template <class T>
std::string OrNone(const std::optional<T>& v, std::string (*text)(T)) {
    return v ? text(*v) : "none";
}
std::string Whole(std::int32_t v) { return std::to_string(v); }

const std::map<std::string, std::function<std::string(const Args&)>> kFunctions = {
    {"LeadingNumber", [](const Args& a) { return Real(LeadingNumber(a[0])); }},
    // The format is the decimal separator, then the thousands' one if any.
    {"StrictNumber", [](const Args& a) { return OrNone(StrictNumber(a[0], {a[1][0], a[1].size() > 1 ? a[1][1] : '\0'}), Real); }},
    {"RoundHalfEven32", [](const Args& a) { return OrNone(RoundHalfEven32(std::stod(a[0])), Whole); }},
    {"HasForbiddenPathCharacter", [](const Args& a) { return Yes(HasForbiddenPathCharacter(a[0])); }},
    {"SecondInHour", [](const Args& a) { return SecondInHour(std::stoll(a[0])); }},
    {"ClockTime", [](const Args& a) { return ClockTime(std::stod(a[0])); }},
    {"Mp3Kbps", [](const Args& a) { return std::to_string(Mp3Kbps(std::stoi(a[0]))); }},
    {"FileDateText", [](const Args& a) { return FileDateText(std::stoull(a[0]), a[1]); }},
    {"OsName", [](const Args& a) { return OsName(std::stoi(a[0]), std::stoul(a[1]), std::stoul(a[2])); }},
    {"OsLogLine",
     [](const Args& a) {
         return OsLogLine(a.empty() ? OsVersionInfo{}
                                    : MakeOsVersionInfo(std::stoi(a[0]), std::stoul(a[1]), std::stoul(a[2]),
                                                        std::stoul(a[3], nullptr, 16), a[4]));
     }},
    {"PriorityCommands",
     [](const Args& a) {
         const PriorityScript script = ParsePriorityCommands(SplitCommandLine(a[0]));
         std::string out = "window \"" + script.windowTitle + "\"";
         for (const StatusWindowCommand& c : script.commands)
             out += (c.action == PriorityAction::UncheckBox ? " / uncheck " : " / select ") + std::to_string(c.controlId) +
                    (c.action == PriorityAction::UncheckBox ? "" : " \"" + c.text + "\"");
         return out;
     }},
    {"SplitCommandLine",
     [](const Args& a) {
         std::string out;
         for (const std::string& t : SplitCommandLine(a[0])) out += (out.empty() ? "[" : " [") + t + "]";
         return out;
     }},
    {"TitleMatches", [](const Args& a) { return Yes(TitleMatches(a[0], a[1])); }},
    {"ParseTimeoutMs", [](const Args& a) { return std::to_string(ParseTimeoutMs(a.empty() ? nullptr : a[0].c_str(), 60000)); }},
    {"EntryBufferLength", [](const Args& a) { return std::to_string(EntryBufferLength(std::stoul(a[0]))); }},
    // A list entry "Idle" read into the buffer for a length of 4; "all" is
    // a copy that filled the buffer.
    {"EntryTextMatches",
     [](const Args& a) {
         std::wstring buffer(EntryBufferLength(4), L'\0');
         buffer.replace(0, 4, L"Idle");
         return Yes(EntryTextMatches(buffer, a[0] == "all" ? buffer.size() : std::stoul(a[0]),
                                     std::wstring(a[1].begin(), a[1].end())));
     }},
    {"FileDialogFilter", [](const Args& a) { return FileDialogFilter(a[0]); }},
    {"TrimBlanks", [](const Args& a) { return TrimBlanks(a[0]); }},
    {"QuoteArgument", [](const Args& a) { return engine::QuoteArgument(a[0]); }},
    {"CommandLineOf", [](const Args& a) { return engine::CommandLineOf(a[0], {a.begin() + 1, a.end()}); }},
};

std::string Call(const std::string& row) {
    // A row that ends in " |" has an empty last argument.
    Args args = fakes::SplitSteps(row.ends_with(" |") ? row + " " : row);
    for (std::string& a : args) a = fakes::Unescape(a);
    const std::string name = args[0];
    args.erase(args.begin());
    return fakes::Escape(kFunctions.at(name)(args)) + "\n";
}

}  // namespace

TEST(Functions, GiveWhatTheyGaveWhenRecorded) {
    const auto rows = fakes::RecordedRows("functions.txt", Call);
    ASSERT_FALSE(rows.recorded.empty());
    EXPECT_EQ(rows.got, rows.recorded);
}
