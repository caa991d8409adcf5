#include "env/command_text.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

using namespace mb;

TEST(FileDialogFilter, EndsWithOneSeparatorThenTurnsSeparatorsIntoNul) {
    using namespace std::string_literals;
    EXPECT_EQ(FileDialogFilter("Video File (*.avi)|*.avi"), "Video File (*.avi)\0*.avi\0"s);
    EXPECT_EQ(FileDialogFilter("Video File (*.avi)|*.avi|"), "Video File (*.avi)\0*.avi\0"s);
    EXPECT_EQ(FileDialogFilter("A (*.avs)|*.avs|B (*.avi)|*.avi"), "A (*.avs)\0*.avs\0B (*.avi)\0*.avi\0"s);
    EXPECT_EQ(FileDialogFilter(""), "\0"s);
}

TEST(TrimBlanks, RemovesSpacesAroundOnly) {
    EXPECT_EQ(TrimBlanks("  D:\\My Films\\a.avi   "), "D:\\My Films\\a.avi");
    EXPECT_EQ(TrimBlanks("a"), "a");
    EXPECT_EQ(TrimBlanks("     "), "");
    EXPECT_EQ(TrimBlanks(""), "");
    EXPECT_EQ(TrimBlanks("\ta\t"), "\ta\t");
}

TEST(QuoteProgramPath, QuotesAProgramPathWithBlanksOnly) {
    const std::set<std::string> existing = {
        "C:\\Program Files\\VDub\\VirtualDub.exe",
        "C:\\Program Files\\Marobex\\Codec.exe",
        "C:\\Tools\\Priority.exe",
        "C:\\A b\\x.exe y.exe",  // a folder name that itself ends in ".exe"
    };
    const auto exists = [&](const std::string& p) { return existing.count(p) > 0; };
    struct Case { const char* line; const char* expected; };
    const Case cases[] = {
        {"C:\\Program Files\\VDub\\VirtualDub.exe /s\"c:\\jobpass.vcf\" /x",
         "\"C:\\Program Files\\VDub\\VirtualDub.exe\" /s\"c:\\jobpass.vcf\" /x"},
        {"C:\\Program Files\\Marobex\\Codec.exe", "\"C:\\Program Files\\Marobex\\Codec.exe\""},
        {"C:\\Tools\\Priority.exe \"WI00:VirtualDub Status\" BT01: QU00:",
         "C:\\Tools\\Priority.exe \"WI00:VirtualDub Status\" BT01: QU00:"},
        {"\"C:\\Program Files\\VDub\\VirtualDub.exe\" /x", "\"C:\\Program Files\\VDub\\VirtualDub.exe\" /x"},
        {"C:\\A b\\x.exe y.exe arg", "\"C:\\A b\\x.exe y.exe\" arg"},  // longest existing path wins
        // Nothing exists: the first ".exe" followed by a blank ends the path.
        {"C:\\Program Files\\Gone\\tool.EXE -in a.exe", "\"C:\\Program Files\\Gone\\tool.EXE\" -in a.exe"},
        {"C:\\Old Tools\\run.bat now", "\"C:\\Old Tools\\run.bat\" now"},
        {"C:\\Old Tools\\run.com", "\"C:\\Old Tools\\run.com\""},
        {"C:\\Old Tools\\run.exe.bak x", "C:\\Old Tools\\run.exe.bak x"},  // ".exe" inside a name
        {"notepad readme.txt", "notepad readme.txt"},
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(QuoteProgramPath(c.line, exists), c.expected) << c.line;
}
