// Smoke test of the stand-in programs on their own: an encoder runs a job
// script as Marobex writes it (the golden one, pointed at a folder of the
// test), refuses without VirtualDub's welcome seen, saves nothing after a
// script error; BeSweet converts and logs, and refuses a malformed line.
#include "standin_process.h"
#include "standin/media_files.h"

using namespace mb;
using namespace mb::standin_test;

namespace {

class Standins : public StandinFixture {
protected:
    // A golden job script with its paths in this test's folder.
    std::string Golden(const std::string& name) const {
        std::string script = ReadBytes(std::string(MAROBEX_TEST_DATA) + "/jobs/expected/" + name);
        for (std::size_t at; (at = script.find("C:\\\\mbcli")) != std::string::npos;) script.replace(at, 9, Escaped(dir_));
        return script;
    }
};

}  // namespace

TEST_F(Standins, EncodersRunTheJobsMarobexWritesAndRefuseWhatTheyCannot) {
    ASSERT_TRUE(WriteBytes(Path("movie.avs"), "x"));
    EXPECT_EQ(RunEncoder("VirtualDub.exe", "jobpass.vcf", Golden("divx5_1pass/jobpass.vcf")), 0u);
    AviSummary avi;
    std::string problem;
    EXPECT_TRUE(ReadAvi(ReadBytes(Path("movie.avi")), avi, problem)) << problem;
    // Nandub's statements are unknown to VirtualDub: nothing is saved.
    EXPECT_EQ(RunEncoder("VirtualDub.exe", "jobpass1.vcf", Golden("divx3_2pass/jobpass1.vcf")), 1u);
    SetSeenWelcome(0);
    EXPECT_EQ(RunEncoder("NanDub.exe", "jobpass1.vcf", Golden("divx3_2pass/jobpass1.vcf")), 2u);
    const auto records = Trace();
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0].Value("codec"), "DivX 5");
    EXPECT_EQ(records[0].Value("video bitrate"), "1200000");  // the golden job's txtBr
    EXPECT_EQ(records[0].Value("result"), "done");
    EXPECT_EQ(records[1].Value("error"), "line 9: VirtualDub.audio2.SetSource is not a method the program knows");
    EXPECT_FALSE(records[1].Has("wrote"));
    EXPECT_EQ(records[2].Value("result"), "refused");
}

TEST_F(Standins, BesweetConvertsLogsAndRefusesAMalformedLine) {
    ASSERT_TRUE(WriteBytes(Path("film.ac3"), std::string(4096, '\x0B')));
    const std::string line = StandinExe("BeSweet.exe") + " -core( -input \"" + Path("film.ac3") + "\" -output \"" +
                             Path("Stream1.MP3") + "\" -logfile \"" + Path("Stream1.log") +
                             "\" )-azid( -c normal -g 6 -L -2db ) -lame( -h -b 128 -m j )";
    EXPECT_EQ(RunCommand(line), 0u);
    EXPECT_EQ(ReadBytes(Path("Stream1.MP3")), Mp3Bytes(48000, 128, 128, 4));
    EXPECT_NE(ReadBytes(Path("Stream1.log")).find("\r\nConversion completed\r\n"), std::string::npos);
    const std::string broken = line.substr(0, line.find(")-azid"));
    EXPECT_NE(RunCommand(broken), 0u);
    const auto records = Trace();
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].Value("result"), "done");
    EXPECT_NE(records[1].Value("result"), "done");
}
