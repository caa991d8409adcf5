// The engine's simulation on its own, as each program: VirtualDub runs a job
// script as Marobex writes it (the golden one, pointed at a folder of the
// test) and writes an AVI of the planned size, refuses Nandub's statements
// and saves nothing then; Nandub refuses without VirtualDub's welcome seen;
// BeSweet converts to an MP3 of the planned size, logs where its line says,
// and refuses a malformed line.
#include "engine/media_files.h"
#include "simulation.h"

using namespace mb;
using namespace mb::testing;

namespace {

class Simulated : public ::testing::Test {
protected:
    // A golden job script with its paths in this test's folder.
    std::string Golden(const std::string& name) const {
        std::string script = ReadWholeFile(std::string(MAROBEX_TEST_DATA) + "/jobs/expected/" + name);
        std::string escaped;
        for (char c : dir_.path()) escaped += c == '\\' ? std::string("\\\\") : std::string(1, c);
        for (std::size_t at; (at = script.find("C:\\\\mbcli")) != std::string::npos;) script.replace(at, 9, escaped);
        return script;
    }
    DWORD RunEncoder(const char* exe, const std::string& script) {
        EXPECT_TRUE(WriteWholeFile(dir_ / "job.vcf", script));
        return RunCommand(sim_.Exe(exe) + " /r /x /s" + (dir_ / "job.vcf"));
    }
    Simulation sim_;
    ScratchFolder dir_{"C:\\marobex_simulated"};
};

}  // namespace

TEST_F(Simulated, EncodersWriteThePlannedSizesAndRefuseWhatTheProgramWould) {
    AviShape source;  // 2 s at 25 frames per second
    source.frames = 50;
    ASSERT_TRUE(WriteWholeFile(dir_ / "movie.avs", AviBytes(source)));
    EXPECT_EQ(RunEncoder("VirtualDub.exe", Golden("divx5_1pass/jobpass.vcf")), 0u);
    AviSummary avi;
    std::string problem;
    ASSERT_TRUE(ReadAvi(ReadWholeFile(dir_ / "movie.avi"), avi, problem)) << problem;
    ASSERT_EQ(avi.streamInfo.size(), 1u);
    EXPECT_EQ(avi.totalFrames, 50u);
    EXPECT_EQ(avi.streamInfo[0].handler, 0x30355844u);               // "DX50"
    EXPECT_EQ(avi.streamInfo[0].indexedBytes, 1200000 * 2 / 8);     // the golden job's txtBr over 2 s
    // Nandub's statements are unknown to VirtualDub: nothing is saved.
    DeleteFileA((dir_ / "movie.avi").c_str());
    EXPECT_EQ(RunEncoder("VirtualDub.exe", Golden("divx3_2pass/jobpass1.vcf")), 1u);
    EXPECT_FALSE(PathExists(dir_ / "movie.avi"));
    SetSeenWelcome(0);
    EXPECT_EQ(RunEncoder("NanDub.exe", Golden("divx3_2pass/jobpass1.vcf")), 1u);
    SetSeenWelcome(1);
    const auto records = sim_.Records();
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0].Value("result"), "done");
    EXPECT_NE(records[0].Value("video").find(", 1200000 bit/s,"), std::string::npos) << records[0].Value("video");
    EXPECT_EQ(records[1].Value("error").substr(records[1].Value("error").find("line 9")),
              "line 9: VirtualDub.audio2.SetSource is not a method the program knows");
    EXPECT_NE(records[2].Value("error").find("SeenWelcome"), std::string::npos);
}

TEST_F(Simulated, BesweetConvertsLogsAndRefusesAMalformedLine) {
    ASSERT_TRUE(WriteWholeFile(dir_ / "film.ac3", std::string(96000, '\x0B')));  // 2 s at 384 kbit/s
    const std::string line = sim_.Exe("BeSweet.exe") + " -core( -input \"" + (dir_ / "film.ac3") + "\" -output \"" +
                             (dir_ / "Stream1.MP3") + "\" -logfile \"" + (dir_ / "Stream1.log") +
                             "\" )-azid( -c normal -g 6 -L -2db ) -lame( -h -b 128 -m j )";
    EXPECT_EQ(RunCommand(line), 0u);
    EXPECT_EQ(ReadWholeFile(dir_ / "Stream1.MP3"), Mp3Bytes(48000, 128, 128, 2));
    EXPECT_NE(ReadWholeFile(dir_ / "Stream1.log").find("\r\nresult: done\r\n"), std::string::npos);
    EXPECT_NE(RunCommand(line.substr(0, line.find(")-azid"))), 0u);
    const auto records = sim_.Records();
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].Value("result"), "done");
    EXPECT_NE(records[1].Value("result"), "done");
}
