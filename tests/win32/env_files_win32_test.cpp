// The file port against the system's file calls.
#include <windows.h>

#include <gtest/gtest.h>

#include "env/api_error_win32.h"
#include "env/codec_detection.h"
#include "env/files_win32.h"
#include "win32_test_support.h"

using namespace mb;
using namespace mb::testing;

TEST(Files, ExistSizeWriteDeleteReadLinesAndCreationTime) {
    ScratchFolder folder{"C:\\marobex_files_test"};
    FilesW32 files;
    std::string reason;
    ASSERT_TRUE(files.WriteFile(folder / "a.bin", std::string(70000, 'x'), reason));
    const std::string binary("\0\x01\xFF\r\n", 5);
    ASSERT_TRUE(files.WriteFile(folder / "a.bin", binary, reason));  // replaced whole
    EXPECT_EQ(ReadWholeFile(folder / "a.bin"), binary);
    EXPECT_TRUE(files.FileExists(folder / "a.bin"));
    EXPECT_EQ(files.FileSize(folder / "a.bin"), 5);
    for (const std::string& none : {folder / "b.bin", folder.path(), std::string()}) {
        EXPECT_FALSE(files.FileExists(none)) << none;
        EXPECT_EQ(files.FileSize(none), -1) << none;
    }
    EXPECT_FALSE(files.WriteFile(folder / "no such folder\\job.vcf", "x", reason));
    EXPECT_EQ(reason, ApiErrorReason(ERROR_PATH_NOT_FOUND));
    EXPECT_EQ(reason.find('\n'), std::string::npos);
    EXPECT_TRUE(files.DeleteFile(folder / "a.bin"));
    EXPECT_FALSE(files.DeleteFile(folder / "a.bin"));

    const std::pair<std::string, std::vector<std::string>> texts[] = {
        {"one\r\ntwo\r\n", {"one", "two"}}, {"one\ntwo", {"one", "two"}}, {"a\r\n\r\nc \t\r\n", {"a", "", "c \t"}}, {"", {}}};
    for (const auto& [text, expected] : texts) {
        ASSERT_TRUE(WriteWholeFile(folder / "list.txt", text));
        std::vector<std::string> lines = {"stale"};
        ASSERT_TRUE(files.ReadLines(folder / "list.txt", lines));
        EXPECT_EQ(lines, expected) << text;
    }
    std::vector<std::string> lines;
    EXPECT_FALSE(files.ReadLines(folder / "missing.txt", lines));

    char system[MAX_PATH];
    GetSystemDirectoryA(system, MAX_PATH);
    EXPECT_EQ(files.SystemDirectory(), system);
    std::uint64_t created = 0;
    ASSERT_TRUE(files.FileCreationTime(folder / "list.txt", created));
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    EXPECT_EQ(FileDateText(created, "/"), FileDateText((std::uint64_t{now.dwHighDateTime} << 32) | now.dwLowDateTime, "/"));
    EXPECT_FALSE(files.FileCreationTime(folder / "missing.dll", created));
}

TEST(Files, DatesAgreeWithTheSystemsConversion) {
    EXPECT_EQ(LocaleW32().DateSeparator(), "/");
    for (std::uint64_t t = 0; t < 0x7FFF000000000000ULL; t += 0x0123456789ABCDEFULL / 7) {
        FILETIME ft = {static_cast<DWORD>(t), static_cast<DWORD>(t >> 32)};
        SYSTEMTIME st;
        ASSERT_TRUE(FileTimeToSystemTime(&ft, &st));
        char text[16];
        wsprintfA(text, "%02u/%02u/%02u", st.wDay, st.wMonth, st.wYear % 100);
        EXPECT_EQ(FileDateText(t, "/"), text) << t;
    }
}
