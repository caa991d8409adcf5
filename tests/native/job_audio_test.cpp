// The WAV-to-WMA job and the mux job.
#include <gtest/gtest.h>

#include "job_fake_files.h"
#include "jobs/job_scripts.h"

using namespace mb;
using mb::jobs_test::CrLf;
using mb::jobs_test::RecordingFiles;

TEST(WriteVCFwav2wma, ConvertsTheWavBesideTheFakeAvi) {
    RecordingFiles files;
    ASSERT_TRUE(WriteVCFwav2wma("D:\\tmp\\Stream1.WAV", "D:\\tmp\\Stream1WMA.WAV", files));
    ASSERT_EQ(files.order, std::vector<std::string>{"c:\\wav2wma.vcf"});
    EXPECT_EQ(files.files["c:\\wav2wma.vcf"],
              CrLf({
                  "VirtualDub.Open(\"C:\\\\fake.avi\",1,0);",
                  "VirtualDub.audio.SetSource(\"D:\\\\tmp\\\\Stream1.WAV\");",
                  "VirtualDub.video.SetMode(0);",
                  "VirtualDub.audio.SetMode(1);",
                  "VirtualDub.audio.SetClipMode(1,0);",
                  "VirtualDub.audio.SetConversion(44100,0,0,0,1);",
                  "VirtualDub.audio.SetCompression(353,44100,2,16,8010,372,10,\"AAgAAAEAdAEAAAE=\");",
                  "VirtualDub.SaveWAV(\"D:\\\\tmp\\\\Stream1WMA.WAV\");",
                  "VirtualDub.Close();",
              }));
}

TEST(WriteVCFwav2wma, EmptyPathsAndWriteFailure) {
    RecordingFiles files;
    ASSERT_TRUE(WriteVCFwav2wma("", "", files));
    const std::string& job = files.files["c:\\wav2wma.vcf"];
    EXPECT_NE(job.find("\r\nVirtualDub.audio.SetSource(\"\");\r\n"), std::string::npos);
    EXPECT_NE(job.find("\r\nVirtualDub.SaveWAV(\"\");\r\n"), std::string::npos);

    files.refuse["c:\\wav2wma.vcf"] = "Access denied.";
    const Status s = WriteVCFwav2wma("a", "b", files);
    EXPECT_FALSE(s);
    EXPECT_EQ(s.message, "Cannot write the job file c:\\wav2wma.vcf: Access denied.");
}

namespace {

ProgramState MuxState() {
    ProgramState st;
    st.VideoOutputPath = "D:\\v\\film_temp.avi";
    st.TargetFilePath = "D:\\v\\film.avi";
    st.Stream1AudioPath = "D:\\a\\one.ac3";
    st.Stream2AudioPath = "\\\\nas\\a\\two.mp3";
    return st;
}

}  // namespace

TEST(WriteVCFaudioMux, OneStreamHasEightLines) {
    RecordingFiles files;
    ASSERT_TRUE(WriteVCFaudioMux(1, 1, 0, 40, 99, MuxState(), files));
    ASSERT_EQ(files.order, std::vector<std::string>{"c:\\AudioMux.vcf"});
    EXPECT_EQ(files.files["c:\\AudioMux.vcf"],
              CrLf({
                  "VirtualDub.Open(\"D:\\\\v\\\\film_temp.avi\",0,0);",
                  "VirtualDub.audio.SetSource(\"D:\\\\a\\\\one.ac3\");",
                  "VirtualDub.audio.SetMode(0);",
                  "VirtualDub.audio.SetClipMode(1,1);",
                  "VirtualDub.audio.SetInterleave(1,160,160,1,40);",
                  "VirtualDub.video.SetMode(0);",
                  "VirtualDub.SaveAVI(\"D:\\\\v\\\\film.avi\");",
                  "VirtualDub.Close();",
              }));
}

TEST(WriteVCFaudioMux, TwoStreamsHaveTwelveLines) {
    RecordingFiles files;
    ASSERT_TRUE(WriteVCFaudioMux(2, 1, 0, -120, 0, MuxState(), files));
    EXPECT_EQ(files.files["c:\\AudioMux.vcf"],
              CrLf({
                  "VirtualDub.Open(\"D:\\\\v\\\\film_temp.avi\",0,0);",
                  "VirtualDub.audio.SetSource(\"D:\\\\a\\\\one.ac3\");",
                  "VirtualDub.audio.SetMode(0);",
                  "VirtualDub.audio.SetClipMode(1,1);",
                  "VirtualDub.audio.SetInterleave(1,160,160,1,-120);",
                  "VirtualDub.audio2.SetSource(\"\\\\\\\\nas\\\\a\\\\two.mp3\");",
                  "VirtualDub.audio2.SetMode(0);",
                  "VirtualDub.audio2.SetClipMode(1,1);",
                  "VirtualDub.audio2.SetInterleave(1,500,500,1,0);",
                  "VirtualDub.video.SetMode(0);",
                  "VirtualDub.SaveAVI(\"D:\\\\v\\\\film.avi\");",
                  "VirtualDub.Close();",
              }));
}

TEST(WriteVCFaudioMux, InterleaveByAc3FlagAndDelayOfEachStream) {
    struct Case { int ac3a, ac3b, delayA, delayB; std::string lineA, lineB; };
    const Case cases[] = {
        {0, 1, 0, -5, "VirtualDub.audio.SetInterleave(1,500,500,1,0);",
         "VirtualDub.audio2.SetInterleave(1,160,160,1,-5);"},
        {1, 1, -32768, 32767, "VirtualDub.audio.SetInterleave(1,160,160,1,-32768);",
         "VirtualDub.audio2.SetInterleave(1,160,160,1,32767);"},
        {0, 0, 250, -1, "VirtualDub.audio.SetInterleave(1,500,500,1,250);",
         "VirtualDub.audio2.SetInterleave(1,500,500,1,-1);"},
    };
    for (const auto& c : cases) {
        RecordingFiles files;
        ASSERT_TRUE(WriteVCFaudioMux(2, c.ac3a, c.ac3b, c.delayA, c.delayB, MuxState(), files));
        const std::string& job = files.files["c:\\AudioMux.vcf"];
        EXPECT_NE(job.find("\r\n" + c.lineA + "\r\n"), std::string::npos) << c.lineA;
        EXPECT_NE(job.find("\r\n" + c.lineB + "\r\n"), std::string::npos) << c.lineB;
    }
}

TEST(WriteVCFaudioMux, WriteFailureNamesTheFile) {
    RecordingFiles files;
    files.refuse["c:\\AudioMux.vcf"] = "The device is not ready.";
    const Status s = WriteVCFaudioMux(1, 0, 0, 0, 0, MuxState(), files);
    EXPECT_FALSE(s);
    EXPECT_EQ(s.message, "Cannot write the job file c:\\AudioMux.vcf: The device is not ready.");
}
