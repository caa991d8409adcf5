// Nandub's two DivX 3 job scripts.
#include <gtest/gtest.h>

#include "job_fake_files.h"
#include "jobs/job_scripts.h"

using namespace mb;
using mb::jobs_test::CrLf;
using mb::jobs_test::RecordingFiles;

namespace {

ProgramState NandubState() {
    ProgramState st;
    st.SourceFilePath = "C:\\src\\film.avs";
    st.TargetFilePath = "D:\\v\\film.avi";
    st.VideoOutputPath = "D:\\v\\film.avi";
    return st;
}

const std::vector<std::string> kCommonLines = {
    "VirtualDub.audio.SetSource(0);",
    "VirtualDub.audio.SetMode(0);",
    "VirtualDub.audio.SetInterleave(1,0,0,0,0);",
    "VirtualDub.audio.SetClipMode(1,1);",
    "VirtualDub.audio.SetConversion(0,0,0,0,0);",
    "VirtualDub.audio.SetVolume();",
    "VirtualDub.audio.SetCompression();",
    "VirtualDub.audio2.SetSource(0);",
    "VirtualDub.audio2.SetMode(0);",
    "VirtualDub.audio2.SetInterleave(1,0,0,0,0);",
    "VirtualDub.audio2.SetClipMode(1,1);",
    "VirtualDub.audio2.SetConversion(0,0,0,0,0);",
    "VirtualDub.audio2.SetVolume();",
    "VirtualDub.audio2.SetCompression();",
    "VirtualDub.video.SetDepth(24,24);",
};

// The second pass with its 13 variable lines (mode, lines 21 to 24, 26,
// 27, 29 to 31, 33, 35 and 42) given in order.
std::string SecondPass(const std::vector<std::string>& v) {
    std::vector<std::string> lines = {"VirtualDub.Open(\"C:\\\\src\\\\film.avs\",0,0);"};
    lines.insert(lines.end(), kCommonLines.begin(), kCommonLines.end());
    const std::vector<std::string> rest = {
        v.at(0),
        "VirtualDub.video.SetFrameRate(0,1);",
        "VirtualDub.video.SetIVTC(0,0,-1,0);",
        "VirtualDub.video.SetRange(0,0);",
        v.at(1), v.at(2), v.at(3), v.at(4),
        "VirtualDub.video.SpaceKF(24);",
        v.at(5), v.at(6),
        "VirtualDub.video.SetCurveFile(\"C:\\\\Divx3stats.stats\");",
        v.at(7), v.at(8), v.at(9),
        "VirtualDub.video.SetCurveCredits(0,350);",
        v.at(10),
        "VirtualDub.video.SetCurveRedist(0);",
        v.at(11),
        "VirtualDub.video.SetCompLevelsA(300,2,16);",
        "VirtualDub.video.SetCompLevelsB(300,2,16);",
        "VirtualDub.video.SetCompLevelsC(300,2,16);",
        "VirtualDub.video.SetCompLevelsD(300,2,16);",
        "VirtualDub.video.SetCompLevelsE(300,2,16);",
        "VirtualDub.video.SetCompLevelK(2,4);",
        v.at(12),
        "VirtualDub.video.SetLowBrCorrection(0,0);",
        "VirtualDub.video.NoAVIOutput(0);",
        "VirtualDub.video.GenStats(\"\",1);",
        "VirtualDub.video.SetEncodingControl(\"\");",
        "VirtualDub.video.filters.Clear();",
        "VirtualDub.subset.Delete();",
        "VirtualDub.SaveAVI(\"D:\\\\v\\\\film.avi\");",
        "VirtualDub.Close();",
    };
    lines.insert(lines.end(), rest.begin(), rest.end());
    return CrLf(lines);
}

std::string WriteSecondPass(const EncodeSettings& s) {
    RecordingFiles files;
    ProgramState st = NandubState();
    EXPECT_TRUE(WriteVCFnanDub(2, 3, s, st, files));
    return files.files["c:\\jobpass2.vcf"];
}

}  // namespace

TEST(WriteVCFnanDub, FirstPassWithFixedValues) {
    RecordingFiles files;
    ProgramState st = NandubState();
    EncodeSettings s;
    s.TxtBit3 = "1234";  // the first pass ignores the user's settings
    ASSERT_TRUE(WriteVCFnanDub(1, 3, s, st, files));
    EXPECT_EQ(st.FirstPassPath, "D:\\v\\film_firstpass.avi");
    ASSERT_EQ(files.order, std::vector<std::string>{"c:\\jobpass1.vcf"});

    std::vector<std::string> lines = {"VirtualDub.Open(\"C:\\\\src\\\\film.avs\", 0, 0);"};
    lines.insert(lines.end(), kCommonLines.begin(), kCommonLines.end());
    const std::vector<std::string> rest = {
        "VirtualDub.video.SetMode(3);",
        "VirtualDub.video.SetFrameRate(0,1);",
        "VirtualDub.video.SetIVTC(0,0,-1,0);",
        "VirtualDub.video.SetRange(0,0);",
        "VirtualDub.video.SetDivX(6000,9999);",
        "VirtualDub.video.SetQualityControl(0,0,0,0);",
        "VirtualDub.video.SetMotionDetection(8,10,300,300);",
        "VirtualDub.video.SetCrispness(0,0);",
        "VirtualDub.video.SpaceKF(24);",
        "VirtualDub.video.InternalSCD(100);",
        "VirtualDub.video.SetMinKBPS(270);",
        "VirtualDub.video.SetCurveFile(\"\");",
        "VirtualDub.video.SetCurveMcFactor(0);",
        "VirtualDub.video.SetCurveCompression(0,0);",
        "VirtualDub.video.SetCurveFilter(0,9999);",
        "VirtualDub.video.SetCurveCredits(0,350);",
        "VirtualDub.video.SetLumaCorrectionAmp(0,10,30);",
        "VirtualDub.video.SetCurveRedist(0);",
        "VirtualDub.video.SetCompLevelsMain(2,2);",
        "VirtualDub.video.SetCompLevelsA(300,2,16);",
        "VirtualDub.video.SetCompLevelsB(300,2,16);",
        "VirtualDub.video.SetCompLevelsC(300,2,16);",
        "VirtualDub.video.SetCompLevelsD(300,2,16);",
        "VirtualDub.video.SetCompLevelsE(300,2,16);",
        "VirtualDub.video.SetCompLevelK(2,4);",
        "VirtualDub.video.SetBitsReservoir(0,100,0,100,45,100);",
        "VirtualDub.video.SetLowBrCorrection(0,0);",
        "VirtualDub.video.NoAVIOutput(1);",
        "VirtualDub.video.GenStats(\"C:\\\\Divx3stats.stats\",1);",
        "VirtualDub.video.SetEncodingControl(\"\");",
        "VirtualDub.video.filters.Clear();",
        "VirtualDub.subset.Delete();",
        "VirtualDub.SaveAVI(\"D:\\\\v\\\\film_firstpass.avi\");",
        "VirtualDub.Close();",
    };
    lines.insert(lines.end(), rest.begin(), rest.end());
    ASSERT_EQ(lines.size(), 50u);
    EXPECT_EQ(files.files["c:\\jobpass1.vcf"], CrLf(lines));
}

TEST(WriteVCFnanDub, SecondPassWithTheWindowDefaults) {
    EXPECT_EQ(WriteSecondPass(EncodeSettings{}),
              SecondPass({
                  "VirtualDub.video.SetMode(3);",
                  "VirtualDub.video.SetDivX(910,10);",
                  "VirtualDub.video.SetQualityControl(0,0,0,0);",
                  "VirtualDub.video.SetMotionDetection(8,10,300,300);",
                  "VirtualDub.video.SetCrispness(30,0);",
                  "VirtualDub.video.InternalSCD(96);",
                  "VirtualDub.video.SetMinKBPS(460);",
                  "VirtualDub.video.SetCurveMcFactor(0);",
                  "VirtualDub.video.SetCurveCompression(25,3);",
                  "VirtualDub.video.SetCurveFilter(270,6000);",
                  "VirtualDub.video.SetLumaCorrectionAmp(0,10,30);",
                  "VirtualDub.video.SetCompLevelsMain(2,16);",
                  "VirtualDub.video.SetBitsReservoir(0,35,30,70,45,0);",
              }));
}

TEST(WriteVCFnanDub, EachSettingFeedsItsOwnArgument) {
    EncodeSettings s;
    s.TxtBit3 = "1";
    s.TxtKFInterval = "2";
    s.ChkError = 1;
    s.TxtAntiShit = "3";
    s.TxtMinQual3 = "4";
    s.TxtMotionMod = "5";
    s.TxtSpan = "6";
    s.TxtSensibility = "7";
    s.SldSwitchFM = 8;
    s.SldSwitchLM = 9;
    s.TxtCrispness = "10";
    s.ChkBitsReservoir = 1;
    s.TxtSCD = "11";
    s.TxtMinBit3 = "12";
    s.TxtBasedMotion = "13";
    s.OptCurveComp = 1;
    s.TxtSymetric = "99";
    s.TxtAsymetricLow = "14";
    s.TxtAsymetricHigh = "15";
    s.TxtSmooth = "16";
    s.TxtHighPass = "17";
    s.TxtLowPass = "18";
    s.ChkLuminance3 = 1;
    s.TxtThreshold = "19";
    s.TxtGain = "20";
    s.TxtDRFMin = "21";
    s.TxtDRFMax = "22";
    s.TxtStartGauge = "23";
    s.TxtMinGauge = "24";
    s.TxtMaxGauge = "25";
    s.TxtPaybackDelay = "26";
    EXPECT_EQ(WriteSecondPass(s),
              SecondPass({
                  "VirtualDub.video.SetMode(3);",
                  "VirtualDub.video.SetDivX(1,2);",
                  "VirtualDub.video.SetQualityControl(2,3,4,5);",
                  "VirtualDub.video.SetMotionDetection(6,7,8,9);",
                  "VirtualDub.video.SetCrispness(10,1);",
                  "VirtualDub.video.InternalSCD(11);",
                  "VirtualDub.video.SetMinKBPS(12);",
                  "VirtualDub.video.SetCurveMcFactor(13);",
                  "VirtualDub.video.SetCurveCompression(14,15,16);",
                  "VirtualDub.video.SetCurveFilter(17,18);",
                  "VirtualDub.video.SetLumaCorrectionAmp(1,19,20);",
                  "VirtualDub.video.SetCompLevelsMain(21,22);",
                  "VirtualDub.video.SetBitsReservoir(0,23,24,25,26,0);",
              }));
}

TEST(WriteVCFnanDub, CurveCompressionAndErrorPreventionLines) {
    struct Case { void (*set)(EncodeSettings&); std::string line; };
    const Case cases[] = {
        {[](EncodeSettings& s) { s.TxtSymetric = "40"; s.TxtSmooth = "5"; },
         "VirtualDub.video.SetCurveCompression(40,5);"},
        {[](EncodeSettings& s) {
             s.OptCurveComp = 1;
             s.TxtAsymetricLow = "20";
             s.TxtAsymetricHigh = "40";
         },
         "VirtualDub.video.SetCurveCompression(20,40,3);"},
        {[](EncodeSettings& s) {
             s.ChkError = 1;
             s.TxtAntiShit = "3";
             s.TxtMinQual3 = "5";
             s.TxtMotionMod = "1";
         },
         "VirtualDub.video.SetQualityControl(2,3,5,1);"},
        {[](EncodeSettings& s) { s.TxtAntiShit = "3"; },  // ignored while error prevention is off
         "VirtualDub.video.SetQualityControl(0,0,0,0);"},
        // Text fields go in as typed, blanks and letters included.
        {[](EncodeSettings& s) { s.TxtBit3 = " 9a "; s.TxtKFInterval = ""; },
         "VirtualDub.video.SetDivX( 9a ,);"},
    };
    for (const auto& c : cases) {
        EncodeSettings s;
        c.set(s);
        EXPECT_NE(WriteSecondPass(s).find("\r\n" + c.line + "\r\n"), std::string::npos) << c.line;
    }
}

TEST(WriteVCFnanDub, OtherPassNumbersWriteNothing) {
    for (int pass : {0, 3, -1}) {
        RecordingFiles files;
        ProgramState st = NandubState();
        EXPECT_TRUE(WriteVCFnanDub(pass, 1, EncodeSettings{}, st, files));
        EXPECT_TRUE(files.order.empty()) << pass;
    }
}

TEST(WriteVCFnanDub, TargetWithoutPointFailsOnlyTheFirstPass) {
    RecordingFiles files;
    ProgramState st = NandubState();
    st.TargetFilePath = "D:\\v\\film";
    const Status s = WriteVCFnanDub(1, 1, EncodeSettings{}, st, files);
    EXPECT_FALSE(s);
    EXPECT_EQ(s.message,
              "The target path D:\\v\\film has no \".\": the first pass's file name cannot be made "
              "from it.");
    EXPECT_TRUE(files.order.empty());

    EXPECT_TRUE(WriteVCFnanDub(2, 1, EncodeSettings{}, st, files));
    EXPECT_EQ(files.order, std::vector<std::string>{"c:\\jobpass2.vcf"});
}

TEST(WriteVCFnanDub, WriteFailureNamesTheFile) {
    RecordingFiles files;
    files.refuse["c:\\jobpass1.vcf"] = "Access denied.";
    ProgramState st = NandubState();
    const Status s = WriteVCFnanDub(1, 1, EncodeSettings{}, st, files);
    EXPECT_FALSE(s);
    EXPECT_EQ(s.message, "Cannot write the job file c:\\jobpass1.vcf: Access denied.");
}
