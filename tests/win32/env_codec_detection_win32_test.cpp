// Codec detection with the real ports and a stand-in Codec.exe that writes
// c:\Marobex_Codecs.txt from the codec_list.txt beside it.
#include <windows.h>

#include <gtest/gtest.h>

#include "env/codec_detection.h"
#include "env/files_win32.h"
#include "env/system_win32.h"
#include "run/process_win32.h"
#include "win32_test_support.h"

using namespace mb;
using namespace mb::testing;

namespace {

struct CodecDetection : ::testing::Test {
    ScratchFolder folder{"C:\\marobex_codec_test"};
    ProgramState state;
    FilesW32 files;
    ProcessesW32 processes;
    LocaleW32 locale;
    std::string system = SystemDirectory();

    CodecDetection() {
        state.ProgramFolder = folder.path();
        CopyFileA(TestProgram("codec_standin.exe").c_str(), (folder / "Codec.exe").c_str(), FALSE);
    }
    ~CodecDetection() override {
        for (const char* name : {"\\DIVX4.DLL", "\\XVID.DLL", "\\DIVXA32.ACM"}) DeleteFileA((system + name).c_str());
        DeleteFileA(CodecListFile);
    }
    void List(const std::string& text) { ASSERT_TRUE(WriteWholeFile(folder / "codec_list.txt", text)); }
    void SystemFile(const char* name) { ASSERT_TRUE(WriteWholeFile(system + "\\" + name, "codec")); }
    CodecCheckResult Run() { return RunCodecCheck(state, processes, files, locale); }
};

std::string Today() {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    return FileDateText((static_cast<std::uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime, "/");
}

}  // namespace

TEST_F(CodecDetection, ListsTheSupportedCodecsAndDeletesTheList) {
    List("Microsoft Video 1\r\n"
         "DivX Pro 5.0.2 Codec\r\n"
         "DivX 5.0.2 Codec\r\n"
         "divx Codec 4.12\r\n"
         "XviD MPEG-4 Codec\r\n"
         "DivX ;-) MPEG-4 Fast-Motion\r\n");
    SystemFile("XVID.DLL");
    SystemFile("DIVXA32.ACM");

    const CodecCheckResult r = Run();

    const std::vector<std::string> expected = {
        "DivX Pro 5.0.2 Codec\t(Supported)",
        "DivX 5.0.2 Codec\t\t(Supported)",
        "XviD MPEG-4 Codec\t(" + Today() + ")",
        "DivX ;-) MPEG-4 Fast-Motion\t(Supported)",
        "DivX ;-) Audio Codec\t(Supported)",
    };
    EXPECT_EQ(r.lines, expected);
    EXPECT_TRUE(r.listRead);
    EXPECT_TRUE(r.divx5Pro && r.divx5 && r.xvid && r.divx3Fast);
    EXPECT_FALSE(r.divx4);  // the lower-case marker is not recognised
    EXPECT_FALSE(r.divx3Low);
    EXPECT_TRUE(state.DivxAudioCodecFound);
    EXPECT_FALSE(PathExists(CodecListFile));
}

TEST_F(CodecDetection, Divx4FourccFollowsDivx4DllInTheSystemDirectory) {
    List("DivX Codec 4.12\r\n");
    SystemFile("DIVX4.DLL");
    const auto withDll = Run();
    EXPECT_FALSE(state.Divx4FourccIsDivx);
    ASSERT_TRUE(DeleteFileA((system + "\\DIVX4.DLL").c_str()));
    const auto withoutDll = Run();
    EXPECT_TRUE(state.Divx4FourccIsDivx);
    EXPECT_EQ(withDll.lines, std::vector<std::string>{"DivX Codec 4.12\t\t(Supported)"});
    EXPECT_EQ(withoutDll.lines, withDll.lines);
}

TEST_F(CodecDetection, ASecondRunGivesTheSameList) {
    List("DivX 5.0.2 Codec\r\nXviD MPEG-4 Codec\r\n");  // no XVID.DLL: empty date
    const auto first = Run();
    const auto second = Run();
    EXPECT_EQ(first.lines, (std::vector<std::string>{"DivX 5.0.2 Codec\t\t(Supported)", "XviD MPEG-4 Codec\t()"}));
    EXPECT_EQ(second.lines, first.lines);
    EXPECT_FALSE(PathExists(CodecListFile));
}

TEST_F(CodecDetection, EndsCleanlyWhenNoListIsWritten) {
    // Codec.exe runs but writes nothing; then Codec.exe is missing too.
    const auto noList = Run();
    EXPECT_TRUE(noList.lines.empty());
    EXPECT_FALSE(noList.listRead);
    ASSERT_TRUE(DeleteFileA((folder / "Codec.exe").c_str()));
    List("DivX 5.0.2 Codec\r\n");
    const auto noLister = Run();
    EXPECT_TRUE(noLister.lines.empty());
    EXPECT_FALSE(noLister.listRead);
}
