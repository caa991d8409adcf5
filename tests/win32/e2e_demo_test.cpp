// What a new user gets: Marobex in its folder with Priority.exe and a
// Marobex.ini that names the stand-ins, and the sample source made by
// MakeDemoSample.exe (in a folder whose name holds a blank). The settings
// file is read as at start-up, and the sample goes through a two-pass
// encode with one audio stream, muxed.
#include "../e2e/e2e_harness.h"

#include "env/profile_win32.h"

using namespace mb;
using namespace mb::e2e;
using mb::testing::PathExists;

namespace {

class NewUser : public EndToEnd {
protected:
    void SetUp() override {
        EndToEnd::SetUp();
        program_ = Dir("Marobex");
        sample_ = Dir("Marobex Sample");
        CreateDirectoryA(program_.c_str(), nullptr);
        ASSERT_TRUE(CopyFileA(mb::testing::TestProgram("Priority.exe").c_str(), (program_ + "\\Priority.exe").c_str(),
                              FALSE));
    }
    void TearDown() override {
        // The last Priority.exe started may still be looking for a window
        // (there is none without a display) and keeps its file until it ends.
        const std::string priority = program_ + "\\Priority.exe";
        for (int i = 0; i < 100 && !DeleteFileA(priority.c_str()) && PathExists(priority); ++i) Sleep(100);
        DeleteFileA((program_ + "\\Marobex.ini").c_str());
        for (const char* f : {"\\sample.avi", "\\sample.ac3", "\\Stream1.MP3", "\\sample_1.avi",
                              "\\sample_1_temp.avi", "\\sample_1_firstpass.avi"})
            DeleteFileA((sample_ + f).c_str());
        RemoveDirectoryA(program_.c_str());
        RemoveDirectoryA(sample_.c_str());
        EndToEnd::TearDown();
    }

    std::string program_;
    std::string sample_;
};

TEST_F(NewUser, WatchesTheSampleGoThroughTheStandins) {
    // The sample source.
    HANDLE maker = standin_test::StartCommand(standin_test::StandinExe("MakeDemoSample.exe") + " \"" + sample_ + "\"");
    ASSERT_NE(maker, nullptr);
    ASSERT_EQ(standin_test::WaitForExit(maker), 0u);
    const AviSummary source = ReadAviFile(sample_ + "\\sample.avi");
    EXPECT_EQ(source.totalFrames, 250u);
    EXPECT_EQ(source.microSecPerFrame, 40000u);
    EXPECT_EQ(source.width, 64);
    const std::string ac3 = standin_test::ReadBytes(sample_ + "\\sample.ac3");
    EXPECT_EQ(ac3.size(), 313u * 1536u);
    EXPECT_EQ(ac3.substr(1536, 2), "\x0B\x77");

    // Marobex.ini as the demonstration set-up writes it, read as at start-up.
    ASSERT_TRUE(standin_test::WriteBytes(program_ + "\\Marobex.ini",
                                         "[PATH]\r\nVIRTUALDUBPATH=" + standin_test::StandinExe("VirtualDub.exe") +
                                             "\r\nNANDUBPATH=" + standin_test::StandinExe("NanDub.exe") +
                                             "\r\nBESWEETPATH=" + standin_test::StandinExe("BeSweet.exe") + "\r\n"));
    state_ = ProgramState{};
    state_.ProgramFolder = program_;
    ProfileW32 profile;
    const auto tools = LoadToolPaths(state_, profile, files_, messages_);
    EXPECT_EQ(tools, (std::vector<std::string>{"VirtualDub v1.4.10\t\tFound", "NanDub\t\t\tFound",
                                               "BeSweet\t\t\tFound"}));
    EXPECT_TRUE(messages_.shown.empty());  // the stand-in carries a version, as VirtualDub does
    EXPECT_EQ(state_.VirtualDubPath, standin_test::StandinExe("VirtualDub.exe"));

    // The sample as a two-pass DivX 5 encode with its audio as MP3, muxed.
    BrowseSource(sample_ + "\\sample.avi");
    ChooseVideo(0, 2);
    BrowseStream1(sample_ + "\\sample.ac3");
    EXPECT_EQ(StartEncode(), RunOutcome::Finished);
    EXPECT_TRUE(messages_.shown.empty());

    const auto records = Trace();
    EXPECT_EQ(Summaries(records),
              (std::vector<std::string>{"BeSweet -> " + sample_ + "\\Stream1.MP3", "VirtualDub c:\\jobpass1.vcf",
                                        "VirtualDub c:\\jobpass2.vcf", "Nandub c:\\audiomux.vcf"}));
    ExpectAllDone(records);
    ASSERT_FALSE(records.empty());
    EXPECT_EQ(records[0].Value("command line"),
              state_.BesweetPath + " -core( -input \"" + sample_ + "\\sample.ac3\" -output \"" + sample_ +
                  "\\Stream1.MP3\" -logfile \"C:\\Marobex_Stream1.log\" )-azid( -c normal -g 6 -L -2db ) -lame( -h -b "
                  "128 -m j )");
    const AviSummary muxed = ReadAviFile(sample_ + "\\sample_1.avi");
    ASSERT_EQ(muxed.streamInfo.size(), 2u);
    EXPECT_EQ(muxed.streamInfo[0].compression, kFourccDivx);
    EXPECT_EQ(muxed.streamInfo[1].audio.formatTag, 0x55);
    EXPECT_EQ(view_.queue, (std::vector<std::string>{" - Audio Stream 1", " - First Pass", " - Second Pass",
                                                     " - Mux Video / Audio"}));
    EXPECT_EQ(view_.log.back(), " Status Encoding : FINISH");
}

}  // namespace
