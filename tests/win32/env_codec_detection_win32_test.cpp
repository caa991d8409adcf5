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

TEST(CodecDetection, ListsTheSupportedCodecsDatesTheXvidDllAndDeletesTheList) {
    ScratchFolder folder{"C:\\marobex_codec_test"};
    ProgramState state;
    state.ProgramFolder = folder.path();
    FilesW32 files;
    ProcessesW32 processes;
    LocaleW32 locale;
    const std::string system = SystemDirectory();
    // Without Codec.exe, and with one that writes no list: nothing, cleanly.
    EXPECT_FALSE(RunCodecCheck(state, processes, files, locale).listRead);
    ASSERT_TRUE(CopyFileA(TestProgram("codec_standin.exe").c_str(), (folder / "Codec.exe").c_str(), FALSE));
    EXPECT_FALSE(RunCodecCheck(state, processes, files, locale).listRead);
    ASSERT_TRUE(WriteWholeFile(folder / "codec_list.txt", "Microsoft Video 1\r\nDivX Codec 4.12\r\nXviD MPEG-4 Codec\r\n"));
    for (const char* name : {"\\XVID.DLL", "\\DIVX4.DLL", "\\DIVXA32.ACM"}) WriteWholeFile(system + name, "codec");
    const CodecCheckResult r = RunCodecCheck(state, processes, files, locale);
    for (const char* name : {"\\XVID.DLL", "\\DIVX4.DLL", "\\DIVXA32.ACM"}) DeleteFileA((system + name).c_str());
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    const std::string today = FileDateText((std::uint64_t{now.dwHighDateTime} << 32) | now.dwLowDateTime, "/");
    EXPECT_EQ(r.lines, (std::vector<std::string>{"DivX Codec 4.12\t\t(Supported)", "XviD MPEG-4 Codec\t(" + today + ")",
                                                 "DivX ;-) Audio Codec\t(Supported)"}));
    EXPECT_TRUE(r.listRead && r.divx4 && r.xvid);
    EXPECT_FALSE(state.Divx4FourccIsDivx);  // DIVX4.DLL was there
    EXPECT_TRUE(state.DivxAudioCodecFound);
    EXPECT_FALSE(PathExists(CodecListFile));
}
