#include "env/priority_commands.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace mb;

TEST(SplitCommandLine, QuotesKeepBlanksAndAreDropped) {
    struct Case { const char* line; std::vector<std::string> tokens; };
    const Case cases[] = {
        {"", {}},
        {"   \t ", {}},
        {"BT01:", {"BT01:"}},
        {"\"WI00:VirtualDub Status\" BT01: BT02: \"CB00:Higher\" QU00:",
         {"WI00:VirtualDub Status", "BT01:", "BT02:", "CB00:Higher", "QU00:"}},
        {"  \"CB00:Even higher\"\tQU00:  ", {"CB00:Even higher", "QU00:"}},
        {"CB00:\"Even higher\"", {"CB00:Even higher"}},  // quotes inside a token
        {"\"\" BT01:", {"", "BT01:"}},                   // an empty quoted token
        {"\"WI00:Nandub Status", {"WI00:Nandub Status"}},  // unclosed quote runs to the end
        {"a\"b c\"d e", {"ab cd", "e"}},
    };
    for (const auto& c : cases) EXPECT_EQ(SplitCommandLine(c.line), c.tokens) << c.line;
}

TEST(ParsePriorityCommands, CommandsInTokenOrderUntilQuit) {
    using A = PriorityAction;
    struct Case { std::vector<std::string> tokens; PriorityScript script; };
    const Case cases[] = {
        {{"WI00:VirtualDub Status", "BT01:", "BT02:", "CB00:Higher", "QU00:"},
         {"VirtualDub Status",
          {{A::UncheckBox, 1027, ""}, {A::UncheckBox, 1028, ""}, {A::SelectEntry, 1080, "Higher"}}}},
        {{"WI00:Nandub Status", "CB00:Normal", "QU00:"},
         {"Nandub Status", {{A::SelectEntry, 1080, "Normal"}}}},
        // Order is kept, output box before input box.
        {{"WI00:W", "BT02:", "BT01:"},
         {"W", {{A::UncheckBox, 1028, ""}, {A::UncheckBox, 1027, ""}}}},
        // Unknown tokens, lower-case keywords and bare words are ignored.
        {{"WI00:W", "XX99:foo", "bt01:", "BT01", "hello", "CB00:Even higher"},
         {"W", {{A::SelectEntry, 1080, "Even higher"}}}},
        // Nothing after QU00: counts, not even a window title.
        {{"BT01:", "QU00:", "WI00:W", "BT02:"}, {"", {{A::UncheckBox, 1027, ""}}}},
        // The first window title wins.
        {{"WI00:First", "WI00:Second"}, {"First", {}}},
        {{"WI00:", "WI00:Second"}, {"", {}}},
        // An empty entry text is still a command (it will match no entry).
        {{"WI00:W", "CB00:"}, {"W", {{A::SelectEntry, 1080, ""}}}},
        {{}, {}},
    };
    for (const auto& c : cases) {
        const PriorityScript got = ParsePriorityCommands(c.tokens);
        EXPECT_EQ(got.windowTitle, c.script.windowTitle);
        EXPECT_EQ(got.commands, c.script.commands) << (c.tokens.empty() ? "" : c.tokens[0]);
    }
}

TEST(TitleMatches, BeginningOfTitleCaseSensitive) {
    struct Case { const char* title; const char* beginning; bool match; };
    const Case cases[] = {
        {"VirtualDub Status - [movie.avs]", "VirtualDub Status", true},
        {"VirtualDub Status", "VirtualDub Status", true},
        {"VirtualDub Statu", "VirtualDub Status", false},
        {"virtualdub status - [movie.avs]", "VirtualDub Status", false},
        {"My VirtualDub Status", "VirtualDub Status", false},
        {"VirtualDub Status", "", false},
        {"", "", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TitleMatches(c.title, c.beginning), c.match) << c.title << " / " << c.beginning;
}

TEST(ParseTimeoutMs, WholeNumbersOnlyElseFallback) {
    struct Case { const char* text; unsigned expected; };
    const Case cases[] = {
        {nullptr, 60000}, {"", 60000},     {"500", 500},       {"0", 0},
        {"9999999", 9999999}, {"10000000", 60000}, {"-5", 60000}, {"5s", 60000},
        {" 5", 60000},    {"0012", 12},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ParseTimeoutMs(c.text, 60000), c.expected) << (c.text ? c.text : "(null)");
}

TEST(EntryTextMatches, OnlyACopyThatFitsItsBufferAndEqualsTheText) {
    EXPECT_GT(EntryBufferLength(11), 12u);  // room beyond the length asked for
    std::wstring buffer(EntryBufferLength(4), L'\0');
    buffer.replace(0, 4, L"Idle");
    struct Case { std::size_t copied; const wchar_t* wanted; bool matches; };
    const Case cases[] = {
        {4, L"Idle", true},
        {4, L"idle", false},
        {5, L"Idle", false},            // the entry changed in between
        {buffer.size(), L"Idle", false},  // it outgrew the buffer: never read past it
    };
    for (const Case& c : cases) EXPECT_EQ(EntryTextMatches(buffer, c.copied, c.wanted), c.matches) << c.copied;
}
