// The job-script grammar the engine reads: escapes, numbers, the shape of a
// line, every statement each program knows and what each one refuses.
#include <gtest/gtest.h>

#include "job_script.h"

using namespace mb;

namespace {

constexpr ScriptDialect VD = ScriptDialect::VirtualDub;
constexpr ScriptDialect ND = ScriptDialect::Nandub;

// The statements read, one "line: statement" each, or the error with the
// line it stands on. A script with an error yields no statement at all.
std::string Read(std::string_view script, ScriptDialect dialect) {
    const JobScriptReading r = ReadJobScript(script, dialect);
    if (r.error) {
        EXPECT_TRUE(r.statements.empty()) << script;
        return FormatScriptError(*r.error) + " | " + r.error->lineText;
    }
    std::string out;
    for (const ScriptStatement& st : r.statements)
        out += (out.empty() ? "" : "\n") + std::to_string(st.line) + ": " + StatementText(st);
    return out;
}

// Every form of every statement, as StatementText writes it back.
const char* const kCommon[] = {
    "VirtualDub.Open(\"C:\\\\in\\\\a.avs\",0,0)", "VirtualDub.Close()", "VirtualDub.SaveAVI(\"b.avi\")",
    "VirtualDub.SaveWAV(\"b.wav\")", "VirtualDub.audio.SetSource(1)", "VirtualDub.audio.SetSource(\"a.ac3\")",
    "VirtualDub.audio.SetMode(0)", "VirtualDub.audio.SetInterleave(1,500,500,1,-120)",
    "VirtualDub.audio.SetClipMode(1,0)", "VirtualDub.audio.SetConversion(44100,0,0)",
    "VirtualDub.audio.SetConversion(44100,0,0,0,1)", "VirtualDub.audio.SetVolume()",
    "VirtualDub.audio.SetCompression()", "VirtualDub.audio.SetCompression(85,44100,2,0,16000,1)",
    "VirtualDub.audio.SetCompression(353,44100,2,16,8010,372,10,\"AAgAAAEAdAEAAAE=\")",
    "VirtualDub.video.SetMode(3)", "VirtualDub.video.SetDepth(24,24)", "VirtualDub.video.SetFrameRate(0,1)",
    "VirtualDub.video.SetIVTC(0,0,-1,0)", "VirtualDub.video.SetRange(0,0)",
    "VirtualDub.video.SetCompression(2021026148,0,10000,0)", "VirtualDub.video.SetCompData(323,\"AAAA\")",
    "VirtualDub.video.filters.Clear()", "VirtualDub.subset.Delete()",
};
const char* const kNandubOnly[] = {
    "VirtualDub.video.SetDivX(910,10)", "VirtualDub.video.SetQualityControl(2,3,5,1)",
    "VirtualDub.video.SetMotionDetection(8,10,300,300)", "VirtualDub.video.SetCrispness(30,0)",
    "VirtualDub.video.SpaceKF(1)", "VirtualDub.video.InternalSCD(96)", "VirtualDub.video.SetMinKBPS(460)",
    "VirtualDub.video.SetCurveFile(\"C:\\\\Divx3stats.stats\")", "VirtualDub.video.SetCurveMcFactor(0)",
    "VirtualDub.video.SetCurveCompression(25,3)", "VirtualDub.video.SetCurveCompression(20,40,3)",
    "VirtualDub.video.SetCurveFilter(270,6000)", "VirtualDub.video.SetCurveCredits(0,350)",
    "VirtualDub.video.SetLumaCorrectionAmp(0,10,30)", "VirtualDub.video.SetCurveRedist(0)",
    "VirtualDub.video.SetCompLevelsMain(2,16)", "VirtualDub.video.SetCompLevelsA(300,2,16)",
    "VirtualDub.video.SetCompLevelsB(300,2,16)", "VirtualDub.video.SetCompLevelsC(300,2,16)",
    "VirtualDub.video.SetCompLevelsD(300,2,16)", "VirtualDub.video.SetCompLevelsE(300,2,16)",
    "VirtualDub.video.SetCompLevelK(2,4)", "VirtualDub.video.SetBitsReservoir(0,35,30,70,45,0)",
    "VirtualDub.video.SetLowBrCorrection(0,0)", "VirtualDub.video.NoAVIOutput(1)",
    "VirtualDub.video.GenStats(\"\",1)", "VirtualDub.video.SetEncodingControl(\"\")",
};

}  // namespace

TEST(JobScript, EscapesNumbersLinesAndRefusals) {
    struct Case {
        ScriptDialect dialect;
        std::string script;
        std::string read;  // the statements, or the error | the line
    };
    const std::string x4 = "VirtualDub.SaveAVI(\"\\x4\");";
    const Case cases[] = {
        // Strings: the escapes, and any other escaped character standing for itself.
        {VD, "VirtualDub.SaveAVI(\"D:\\\\out\\\\b.avi\");", "1: VirtualDub.SaveAVI(\"D:\\\\out\\\\b.avi\")"},
        {VD, "VirtualDub.SaveAVI(\"\\a\\b\\f\\n\\r\\t\\v\");",
         "1: VirtualDub.SaveAVI(\"\\x07\\x08\\x0c\\x0a\\x0d\\x09\\x0b\")"},
        {VD, "VirtualDub.SaveAVI(\"\\x41\\x7e\\x7F\\\"q\\\" \\q\\/\");", "1: VirtualDub.SaveAVI(\"A~\\x7f\\\"q\\\" q/\")"},
        {VD, x4, "line 1: expected two hexadecimal digits after \\x | " + x4},
        {VD, "VirtualDub.SaveAVI(\"b.avi);", "line 1: string without its closing '\"' | VirtualDub.SaveAVI(\"b.avi);"},
        {VD, "VirtualDub.SaveAVI(\"b\\", "line 1: string without its closing '\"' | VirtualDub.SaveAVI(\"b\\"},
        // Numbers: decimal, hexadecimal with a lower-case x, a leading 0 for
        // octal, a unary minus; 32 bits, taken as signed.
        {VD, "VirtualDub.video.SetCompression(0x78766964,0,10000,0);",
         "1: VirtualDub.video.SetCompression(2021026148,0,10000,0)"},
        {VD, "VirtualDub.video.SetRange(010,-0x10);", "1: VirtualDub.video.SetRange(8,-16)"},
        {VD, "VirtualDub.video.SetRange(0xaBc,0);", "1: VirtualDub.video.SetRange(2748,0)"},
        {VD, "VirtualDub.video.SetRange(0xFFFFFFFF,- 2147483648);", "1: VirtualDub.video.SetRange(-1,-2147483648)"},
        {VD, "VirtualDub.video.SetRange(4294967295,0);", "1: VirtualDub.video.SetRange(-1,0)"},
        {VD, "VirtualDub.video.SetMode(4294967296);", "line 1: number 4294967296 does not fit 32 bits | VirtualDub.video.SetMode(4294967296);"},
        {VD, "VirtualDub.video.SetMode(0x100000000);", "line 1: number 0x100000000 does not fit 32 bits | VirtualDub.video.SetMode(0x100000000);"},
        {VD, "VirtualDub.video.SetMode(08);",
         "line 1: invalid octal number 08 (a leading 0 means octal: digits 0 to 7) | VirtualDub.video.SetMode(08);"},
        {VD, "VirtualDub.video.SetMode(0X10);", "line 1: invalid number 0X10 | VirtualDub.video.SetMode(0X10);"},
        {VD, "VirtualDub.video.SetMode(12abc);", "line 1: invalid number 12abc | VirtualDub.video.SetMode(12abc);"},
        {VD, "VirtualDub.video.SetMode(0x);", "line 1: expected hexadecimal digits after \"0x\" | VirtualDub.video.SetMode(0x);"},
        {VD, "VirtualDub.video.SetMode(-\"3\");",
         "line 1: expected a number after '-' in VirtualDub.video.SetMode, found a string | VirtualDub.video.SetMode(-\"3\");"},
        // Lines: LF or CR LF, comments, blank lines, blanks between tokens,
        // several statements on one, none across two.
        {VD, "//Virtual job list\r\n\r\n\t VirtualDub . video . SetMode ( 0 ) ;VirtualDub.Close(); // x();\nVirtualDub.Close();",
         "3: VirtualDub.video.SetMode(0)\n3: VirtualDub.Close()\n4: VirtualDub.Close()"},
        {VD, "VirtualDub.Close();\r\nVirtualDub.Close();\r\nVirtualDub.Close()\r\n",
         "line 3: expected ';' after VirtualDub.Close(), found the end of the line | VirtualDub.Close()"},
        {VD, "VirtualDub.video.SetMode(\r\n0);",
         "line 1: expected a number or a string as argument 1 of VirtualDub.video.SetMode, found the end of the line | "
         "VirtualDub.video.SetMode("},
        {VD, "VirtualDub.video.SetMode(1 2);",
         "line 1: expected ',' or ')' in the arguments of VirtualDub.video.SetMode, found a number | VirtualDub.video.SetMode(1 2);"},
        {VD, "VirtualDub.Close();#", "line 1: unexpected '#' | VirtualDub.Close();#"},
        {VD, "VirtualDub.Close();\x01", "line 1: unexpected character 0x01 | VirtualDub.Close();\x01"},
        {VD, "(1);", "line 1: expected a statement, found '(' | (1);"},
        {VD, "VirtualDub.(1);", "line 1: expected a name after \"VirtualDub.\", found '(' | VirtualDub.(1);"},
        {VD, "VirtualDub.Close;", "line 1: expected '(' after VirtualDub.Close, found ';' | VirtualDub.Close;"},
        // Methods: names as written, the kinds and number of arguments exactly.
        {VD, "virtualdub.Close();", "line 1: virtualdub.Close is not a method the program knows | virtualdub.Close();"},
        {VD, "Close();", "line 1: Close is not a method the program knows | Close();"},
        {VD, "VirtualDub.audio.SetMode(\"0\");",
         "line 1: VirtualDub.audio.SetMode(string) does not match: expected VirtualDub.audio.SetMode with (int) | "
         "VirtualDub.audio.SetMode(\"0\");"},
        {ND, "VirtualDub.audio2.SetConversion(1,2);",
         "line 1: VirtualDub.audio2.SetConversion(int, int) does not match: expected VirtualDub.audio2.SetConversion "
         "with (int, int, int) or (int, int, int, int, int) | VirtualDub.audio2.SetConversion(1,2);"},
        {ND, "VirtualDub.video.SetCurveCompression(1);",
         "line 1: VirtualDub.video.SetCurveCompression(int) does not match: expected VirtualDub.video.SetCurveCompression "
         "with (int, int) or (int, int, int) | VirtualDub.video.SetCurveCompression(1);"},
        // VirtualDub knows neither the second audio track nor DivX 3.
        {VD, "VirtualDub.audio2.SetMode(0);",
         "line 1: VirtualDub.audio2.SetMode is not a method the program knows | VirtualDub.audio2.SetMode(0);"},
        {ND, "VirtualDub.audio2.SetMode(0);", "1: VirtualDub.audio2.SetMode(0)"},
        {ND, "VirtualDub.audio2.SetDivX(1,2);",
         "line 1: VirtualDub.audio2.SetDivX is not a method the program knows | VirtualDub.audio2.SetDivX(1,2);"},
    };
    for (const Case& c : cases) EXPECT_EQ(Read(c.script, c.dialect), c.read) << c.script;

    // Every statement: both programs know the common ones, Nandub its own
    // and the second audio track's; VirtualDub refuses those.
    for (const char* st : kCommon) {
        for (ScriptDialect d : {VD, ND}) EXPECT_EQ(Read(std::string(st) + ";", d), std::string("1: ") + st);
        const std::string audio2 = std::string(st).replace(0, 16, "VirtualDub.audio2");
        if (std::string_view(st).starts_with("VirtualDub.audio."))
            EXPECT_EQ(Read(audio2 + ";", ND), "1: " + audio2);
    }
    for (const char* st : kNandubOnly) {
        EXPECT_EQ(Read(std::string(st) + ";", ND), std::string("1: ") + st);
        const std::string refused = Read(std::string(st) + ";", VD);
        EXPECT_NE(refused.find(" is not a method the program knows"), std::string::npos) << refused;
    }
}
