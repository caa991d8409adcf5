// The file port against the system's file calls.
#include <windows.h>

#include <gtest/gtest.h>

#include "env/api_error_win32.h"
#include "env/codec_detection.h"
#include "env/files_win32.h"
#include "env/system_win32.h"
#include "win32_test_support.h"

using namespace mb;
using namespace mb::testing;

namespace {

struct Files : ::testing::Test {
    ScratchFolder folder{"C:\\marobex_files_test"};
    FilesW32 files;
};

}  // namespace

TEST_F(Files, ExistsOnlyForFilesThatOpen) {
    ASSERT_TRUE(WriteWholeFile(folder / "a.txt", "abc"));
    EXPECT_TRUE(files.FileExists(folder / "a.txt"));
    EXPECT_FALSE(files.FileExists(folder / "b.txt"));
    EXPECT_FALSE(files.FileExists(folder.path()));  // a folder
    EXPECT_FALSE(files.FileExists(""));
}

TEST_F(Files, SizeInBytesOrMinusOne) {
    ASSERT_TRUE(WriteWholeFile(folder / "a.bin", std::string(70000, 'x')));
    EXPECT_EQ(files.FileSize(folder / "a.bin"), 70000);
    ASSERT_TRUE(WriteWholeFile(folder / "empty.bin", ""));
    EXPECT_EQ(files.FileSize(folder / "empty.bin"), 0);
    EXPECT_EQ(files.FileSize(folder / "missing.bin"), -1);
    EXPECT_EQ(files.FileSize(folder.path()), -1);
}

TEST_F(Files, WriteReplacesTheWholeFileByteExact) {
    std::string reason;
    ASSERT_TRUE(files.WriteFile(folder / "job.vcf", "first line\r\nsecond line\r\n", reason));
    ASSERT_TRUE(files.WriteFile(folder / "job.vcf", "short\r\n", reason));
    EXPECT_EQ(ReadWholeFile(folder / "job.vcf"), "short\r\n");
    const std::string binary("\0\x01\xFF\r\n", 5);
    ASSERT_TRUE(files.WriteFile(folder / "b.bin", binary, reason));
    EXPECT_EQ(ReadWholeFile(folder / "b.bin"), binary);
    EXPECT_TRUE(reason.empty());
}

TEST_F(Files, FailedWriteGivesTheSystemsReasonWithoutLineBreak) {
    std::string reason;
    EXPECT_FALSE(files.WriteFile(folder / "no such folder\\job.vcf", "x", reason));
    EXPECT_FALSE(reason.empty());
    EXPECT_EQ(reason, ApiErrorReason(ERROR_PATH_NOT_FOUND));
    EXPECT_EQ(reason.find('\n'), std::string::npos);
}

TEST_F(Files, DeleteRemovesTheFile) {
    ASSERT_TRUE(WriteWholeFile(folder / "a.txt", "abc"));
    EXPECT_TRUE(files.DeleteFile(folder / "a.txt"));
    EXPECT_FALSE(PathExists(folder / "a.txt"));
    EXPECT_FALSE(files.DeleteFile(folder / "a.txt"));
}

TEST_F(Files, ReadLinesSplitsOnCrLfAndLf) {
    struct Case { std::string text; std::vector<std::string> lines; };
    const Case cases[] = {
        {"one\r\ntwo\r\n", {"one", "two"}},
        {"one\ntwo", {"one", "two"}},
        {"one\r\n\r\nthree\r\n", {"one", "", "three"}},
        {"tab\tinside \r\n", {"tab\tinside "}},
        {"", {}},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(WriteWholeFile(folder / "list.txt", c.text));
        std::vector<std::string> lines = {"stale"};
        ASSERT_TRUE(files.ReadLines(folder / "list.txt", lines));
        EXPECT_EQ(lines, c.lines) << c.text;
    }
    std::vector<std::string> lines;
    EXPECT_FALSE(files.ReadLines(folder / "missing.txt", lines));
}

TEST(SystemDirectory, IsTheSystemsWithoutTrailingBackslash) {
    char expected[MAX_PATH];
    GetSystemDirectoryA(expected, MAX_PATH);
    FilesW32 files;
    const std::string dir = files.SystemDirectory();
    EXPECT_EQ(dir, expected);
    ASSERT_FALSE(dir.empty());
    EXPECT_NE(dir.back(), '\\');
}

TEST_F(Files, CreationTimeOfANewFileIsToday) {
    ASSERT_TRUE(WriteWholeFile(folder / "XVID.DLL", "dll"));
    std::uint64_t created = 0;
    ASSERT_TRUE(files.FileCreationTime(folder / "XVID.DLL", created));
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    const std::uint64_t nowValue = (static_cast<std::uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
    EXPECT_EQ(FileDateText(created, "/"), FileDateText(nowValue, "/"));
    EXPECT_FALSE(files.FileCreationTime(folder / "missing.dll", created));
}

TEST(FileDateText, AgreesWithTheSystemsConversion) {
    SYSTEMTIME day = {};
    day.wYear = 2002;
    day.wMonth = 5;
    day.wDay = 8;
    day.wHour = 23;
    day.wMinute = 59;
    FILETIME time;
    ASSERT_TRUE(SystemTimeToFileTime(&day, &time));
    const std::uint64_t value = (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    LocaleW32 locale;
    EXPECT_EQ(locale.DateSeparator(), "/");
    EXPECT_EQ(FileDateText(value, locale.DateSeparator()), "08/05/02");

    // Whatever the day, the text is the system's own date of that file time.
    for (std::uint64_t t = 0; t < 0x7FFF000000000000ULL; t += 0x0123456789ABCDEFULL / 7) {
        FILETIME ft = {static_cast<DWORD>(t), static_cast<DWORD>(t >> 32)};
        SYSTEMTIME st;
        ASSERT_TRUE(FileTimeToSystemTime(&ft, &st));
        char text[16];
        wsprintfA(text, "%02u/%02u/%02u", st.wDay, st.wMonth, st.wYear % 100);
        EXPECT_EQ(FileDateText(t, "/"), text) << t;
    }
}
