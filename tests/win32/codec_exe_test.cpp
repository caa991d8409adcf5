// Codec.exe against the codecs Wine brings, and against the test kit's codec
// installed under the FourCCs where it misbehaves in every way the program
// must survive.
#include <windows.h>
#include <mmsystem.h>
#include <mmreg.h>
#include <msacm.h>
#include <vfw.h>

#include <gtest/gtest.h>

#include "win32_test_support.h"

#include <algorithm>
#include <iterator>
#include <set>
#include <string>
#include <vector>

namespace {

constexpr char kListPath[] = "c:\\Marobex_Codecs.txt";

// Runs Codec.exe and returns its exit code.
int RunCodecExe() {
    using namespace mb::testing;
    return static_cast<int>(RunProgram("\"" + TestProgram("Codec.exe") + "\"", TestProgramFolder()).exitCode);
}

std::string ToAcp(const WCHAR* text) {
    char out[512];
    const int n = WideCharToMultiByte(CP_ACP, 0, text, -1, out, sizeof out, nullptr, nullptr);
    return n > 0 ? std::string(out, static_cast<std::size_t>(n - 1)) : std::string();
}

// The lines of a list file: CR LF after every line and nowhere else, no
// empty line, no NUL byte.
std::vector<std::string> ListLines(const std::string& text) {
    std::vector<std::string> lines;
    EXPECT_EQ(text.find('\0'), std::string::npos);
    for (std::size_t start = 0, end; start < text.size(); start = end + 2) {
        end = text.find("\r\n", start);
        if (end == std::string::npos) {
            ADD_FAILURE() << "last line without CR LF";
            break;
        }
        lines.push_back(text.substr(start, end - start));
        EXPECT_FALSE(lines.back().empty());
        EXPECT_EQ(lines.back().find_first_of("\r\n"), std::string::npos) << lines.back();
    }
    return lines;
}

// What the system itself says is installed, asked from this process.
std::vector<std::string> InstalledVideoCodecs() {
    std::vector<std::string> names;
    ICINFO entry{};
    entry.dwSize = sizeof entry;
    for (DWORD i = 0; ICInfo(ICTYPE_VIDEO, i, &entry); ++i) {
        if (HIC hic = ICOpen(entry.fccType, entry.fccHandler, ICMODE_QUERY)) {
            ICINFO info{};
            info.dwSize = sizeof info;
            if (ICGetInfo(hic, &info, sizeof info) != 0) names.push_back(ToAcp(info.szDescription));
            ICClose(hic);
        }
    }
    return names;
}

BOOL CALLBACK AddAudioCodec(HACMDRIVERID driver, DWORD_PTR instance, DWORD) {
    ACMDRIVERDETAILSA details{};
    details.cbStruct = sizeof details;
    if (acmDriverDetailsA(driver, &details, 0) == MMSYSERR_NOERROR)
        reinterpret_cast<std::vector<std::string>*>(instance)->push_back(details.szLongName);
    return TRUE;
}

std::vector<std::string> InstalledAudioCodecs() {
    std::vector<std::string> names;
    acmDriverEnum(AddAudioCodec, reinterpret_cast<DWORD_PTR>(&names), 0);
    return names;
}

std::vector<std::string> Sorted(std::vector<std::string> v) {
    std::sort(v.begin(), v.end());
    return v;
}

// Installs the test codec under its FourCCs for the life of the object.
class FakeCodecs {
public:
    FakeCodecs() {
        const std::string dll = mb::testing::TestProgram("testkit\\StandinCodec.dll");
        for (char c : kCodes)
            installed_ = ICInstall(ICTYPE_VIDEO, Code(c), reinterpret_cast<LPARAM>(dll.c_str()),
                                   nullptr, ICINSTALL_DRIVER) &&
                         installed_;
    }
    ~FakeCodecs() {
        for (char c : kCodes) ICRemove(ICTYPE_VIDEO, Code(c), 0);
    }
    bool installed() const { return installed_; }

private:
    static DWORD Code(char c) { return mmioFOURCC('m', 'b', 'x', c); }
    static constexpr char kCodes[] = {'1', '2', '3', '4', '5'};
    bool installed_ = true;
};

class CodecExe : public ::testing::Test {
protected:
    void SetUp() override { TearDown(); }
    void TearDown() override { DeleteFileA(kListPath), RemoveDirectoryA(kListPath); }
};

TEST_F(CodecExe, ListsEveryCodecAndSurvivesThoseThatMisbehave) {
    const auto video = InstalledVideoCodecs();
    const auto audio = InstalledAudioCodecs();
    ASSERT_FALSE(video.empty());
    ASSERT_FALSE(audio.empty());
    // An older, longer list must be replaced whole, not overwritten in part.
    std::string old;
    for (int i = 0; i < 200; ++i) old += "DivX Pro 5.0.2 Codec left from an earlier run\r\n";
    ASSERT_TRUE(mb::testing::WriteWholeFile(kListPath, old));
    int code = -3;
    {
        FakeCodecs fakes;
        ASSERT_TRUE(fakes.installed());
        code = RunCodecExe();
    }
    EXPECT_EQ(code, 0);
    std::vector<std::string> expected = video;
    expected.insert(expected.end(), audio.begin(), audio.end());
    const std::string cafe = ToAcp(L"Caf\u00e9 Test Codec");  // the system's ANSI text
    expected.push_back(cafe);
    expected.push_back("MbxName");  // no description: its name
    expected.push_back("mbx3");     // neither: its FourCC
    // mbx4 does not open and mbx5 crashes: both left out, the rest complete.
    EXPECT_EQ(Sorted(ListLines(mb::testing::ReadWholeFile(kListPath))), Sorted(expected));
}

TEST_F(CodecExe, FailsWhenTheListCannotBeWrittenAndLeavesNothing) {
    ASSERT_TRUE(CreateDirectoryA(kListPath, nullptr));  // a folder in the list's place
    EXPECT_NE(RunCodecExe(), 0);
    EXPECT_EQ(GetFileAttributesA(kListPath) & FILE_ATTRIBUTE_DIRECTORY,
              static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
}

}  // namespace
