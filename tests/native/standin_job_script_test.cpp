#include "standin/job_script.h"

#include <gtest/gtest.h>

#include "standin_samples.h"

using namespace mb;
using namespace mb::samples;

namespace {

std::vector<std::string> Texts(const JobScriptReading& r) {
    std::vector<std::string> out;
    for (const ScriptStatement& st : r.statements) out.push_back(std::to_string(st.line) + ": " + StatementText(st));
    return out;
}

// The one statement of a line, or the error message.
std::string ReadOne(const std::string& line, ScriptDialect dialect = ScriptDialect::VirtualDub) {
    const JobScriptReading r = ReadJobScript(line, dialect);
    if (r.error) return "error: " + r.error->message;
    std::string out;
    for (const ScriptStatement& st : r.statements) out += (out.empty() ? "" : " | ") + StatementText(st);
    return out;
}

}  // namespace

TEST(JobScriptReader, ReadsTheOnePassVideoJobAsMarobexWritesIt) {
    const std::string state = StateText(323, 4, 780000);
    const JobScriptReading r = ReadJobScript(
        OnePassJob("0x78766964", 323, state, "C:\\\\in\\\\a.avs", "D:\\\\out\\\\b.avi"), ScriptDialect::VirtualDub);
    ASSERT_FALSE(r.error) << FormatScriptError(*r.error);
    const std::vector<std::string> expected = {
        "4: VirtualDub.Open(\"C:\\\\in\\\\a.avs\",0,0)",
        "5: VirtualDub.audio.SetMode(0)",
        "6: VirtualDub.video.SetMode(1)",
        "7: VirtualDub.video.SetCompression(2021026148,0,10000,0)",
        "8: VirtualDub.video.SetCompData(323,\"" + state + "\")",
        "9: VirtualDub.SaveAVI(\"D:\\\\out\\\\b.avi\")",
        "10: VirtualDub.Close()",
    };
    EXPECT_EQ(Texts(r), expected);
    EXPECT_EQ(r.statements[0].args[0].text, "C:\\in\\a.avs");  // escapes resolved
    EXPECT_EQ(r.statements[3].object, "VirtualDub.video");
    EXPECT_EQ(r.statements[3].method, "SetCompression");
}

TEST(JobScriptReader, NandubJobsNeedTheNandubDialect) {
    struct Case {
        const char* name;
        std::string script;
        std::size_t statements;
    };
    const Case cases[] = {
        {"pass 1", NandubPass1Job("C:\\\\in\\\\a.avs", "D:\\\\v\\\\film_firstpass.avi"), 50},
        {"pass 2", NandubPass2Job("C:\\\\in\\\\a.avs", "D:\\\\v\\\\film.avi"), 50},
        {"pass 2 asymmetric", NandubPass2Job("C:\\\\a.avs", "D:\\\\f.avi", "20,40,3"), 50},
        {"mux, two streams", AudioMuxJob("D:\\\\v\\\\f_temp.avi", "D:\\\\a.ac3", "D:\\\\t\\\\Stream2.MP3", "D:\\\\v\\\\f.avi"), 12},
    };
    for (const Case& c : cases) {
        const JobScriptReading nandub = ReadJobScript(c.script, ScriptDialect::Nandub);
        ASSERT_FALSE(nandub.error) << c.name << ": " << FormatScriptError(*nandub.error);
        EXPECT_EQ(nandub.statements.size(), c.statements) << c.name;

        const JobScriptReading vdub = ReadJobScript(c.script, ScriptDialect::VirtualDub);
        ASSERT_TRUE(vdub.error) << c.name;
        EXPECT_TRUE(vdub.statements.empty()) << c.name;
        EXPECT_NE(vdub.error->message.find("VirtualDub.audio2."), std::string::npos) << c.name;
    }
    // The first audio2 line of a Nandub pass is its ninth.
    const JobScriptReading vdub = ReadJobScript(NandubPass1Job("a", "b"), ScriptDialect::VirtualDub);
    EXPECT_EQ(FormatScriptError(*vdub.error), "line 9: VirtualDub.audio2.SetSource is not a method the program knows");
    EXPECT_EQ(vdub.error->lineText, "VirtualDub.audio2.SetSource(0);");
}

TEST(JobScriptReader, VirtualDubReadsTheAudioJobs) {
    const JobScriptReading wma = ReadJobScript(Wav2WmaJob("D:\\\\t\\\\Stream1.WAV", "D:\\\\t\\\\Stream1WMA.WAV"),
                                               ScriptDialect::VirtualDub);
    ASSERT_FALSE(wma.error) << FormatScriptError(*wma.error);
    ASSERT_EQ(wma.statements.size(), 9u);
    EXPECT_EQ(StatementText(wma.statements[6]),
              "VirtualDub.audio.SetCompression(353,44100,2,16,8010,372,10,\"AAgAAAEAdAEAAAE=\")");
    const JobScriptReading mux = ReadJobScript(AudioMuxJob("v.avi", "a.ac3", "", "t.avi"), ScriptDialect::VirtualDub);
    ASSERT_FALSE(mux.error);
    EXPECT_EQ(StatementText(mux.statements[4]), "VirtualDub.audio.SetInterleave(1,160,160,1,-120)");
}

TEST(JobScriptReader, IntegersDecimalHexOctalAndMinus) {
    struct Case {
        const char* args;
        const char* expected;
    };
    const Case cases[] = {
        {"0", "VirtualDub.video.SetMode(0)"},
        {"1234", "VirtualDub.video.SetMode(1234)"},
        {"0x1f", "VirtualDub.video.SetMode(31)"},
        {"0x1F", "VirtualDub.video.SetMode(31)"},
        {"010", "VirtualDub.video.SetMode(8)"},
        {"0777", "VirtualDub.video.SetMode(511)"},
        {"-5", "VirtualDub.video.SetMode(-5)"},
        {" -  5 ", "VirtualDub.video.SetMode(-5)"},
        {"-0x10", "VirtualDub.video.SetMode(-16)"},
        {"-010", "VirtualDub.video.SetMode(-8)"},
        {"2147483647", "VirtualDub.video.SetMode(2147483647)"},
        {"-2147483648", "VirtualDub.video.SetMode(-2147483648)"},
        {"0xffffffff", "VirtualDub.video.SetMode(-1)"},
        {"09", "error: invalid octal number 09 (a leading 0 means octal: digits 0 to 7)"},
        {"0128", "error: invalid octal number 0128 (a leading 0 means octal: digits 0 to 7)"},
        {"0X10", "error: invalid number 0X10"},
        {"0x", "error: expected hexadecimal digits after \"0x\""},
        {"0xg", "error: expected hexadecimal digits after \"0x\""},
        {"12abc", "error: invalid number 12abc"},
        {"4294967296", "error: number 4294967296 does not fit 32 bits"},
        {"0x100000000", "error: number 0x100000000 does not fit 32 bits"},
        {"--5", "error: expected a number after '-' in VirtualDub.video.SetMode, found '-'"},
        {"+5", "error: unexpected '+'"},
        {"5.0", "error: expected ',' or ')' in the arguments of VirtualDub.video.SetMode, found '.'"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ReadOne(std::string("VirtualDub.video.SetMode(") + c.args + ");"), c.expected) << c.args;
}

TEST(JobScriptReader, StringsAndTheirEscapes) {
    struct Case {
        const char* literal;
        std::string value;  // empty with an error
        const char* error;
    };
    const Case cases[] = {
        {R"("C:\\in\\a.avs")", "C:\\in\\a.avs", nullptr},
        {R"("\\\\server\\share")", "\\\\server\\share", nullptr},
        {R"("")", "", nullptr},
        {R"("\a\b\f\n\r\t\v")", "\a\b\f\n\r\t\v", nullptr},
        {R"("\x41\x7e\xFF")", "A~\xFF", nullptr},
        {R"("\q\"\'\0")", "q\"'0", nullptr},
        {R"("a // not a comment")", "a // not a comment", nullptr},
        {R"x("with ; and )")x", "with ; and )", nullptr},
        {R"("\x4")", "", "expected two hexadecimal digits after \\x"},
        {R"("\xg0")", "", "expected two hexadecimal digits after \\x"},
        {R"("open)", "", "string without its closing '\"'"},
        {R"("ends in \")", "", "string without its closing '\"'"},
    };
    for (const Case& c : cases) {
        const JobScriptReading r = ReadJobScript(std::string("VirtualDub.SaveAVI(") + c.literal + ");",
                                                 ScriptDialect::VirtualDub);
        if (c.error) {
            ASSERT_TRUE(r.error) << c.literal;
            EXPECT_EQ(r.error->message, c.error) << c.literal;
            continue;
        }
        ASSERT_FALSE(r.error) << c.literal << ": " << r.error->message;
        ASSERT_EQ(r.statements.size(), 1u);
        EXPECT_EQ(r.statements[0].args[0].text, c.value) << c.literal;
        // Written back and read again, the statement is the same.
        const JobScriptReading again = ReadJobScript(StatementText(r.statements[0]) + ";", ScriptDialect::VirtualDub);
        ASSERT_FALSE(again.error) << StatementText(r.statements[0]);
        EXPECT_EQ(again.statements[0].args[0].text, c.value) << c.literal;
    }
}

TEST(JobScriptReader, LinesBlanksCommentsAndSeparators) {
    struct Case {
        std::string script;
        const char* expected;
    };
    const std::string longPath(100000, 'x');
    const Case cases[] = {
        {"VirtualDub.audio.SetMode(0); VirtualDub.video.SetMode(1);VirtualDub.Close();",
         "VirtualDub.audio.SetMode(0) | VirtualDub.video.SetMode(1) | VirtualDub.Close()"},
        {"  VirtualDub . video\t. SetMode ( 1 ) ;  ", "VirtualDub.video.SetMode(1)"},
        {"VirtualDub.Close(); // the end", "VirtualDub.Close()"},
        {"// VirtualDub.Close(\n\n\t\r\n", ""},
        {"VirtualDub.Open(\"a.avs\" , 0 ,0 ) ;", "VirtualDub.Open(\"a.avs\",0,0)"},
        {"VirtualDub.Close(); / x", "error: unexpected '/'"},
        {"VirtualDub.Close()", "error: expected ';' after VirtualDub.Close(), found the end of the line"},
        {"VirtualDub.Close() VirtualDub.Close();", "error: expected ';' after VirtualDub.Close(), found a name"},
        {"VirtualDub.video.SetMode(\r\n1);", "error: expected a number or a string as argument 1 of VirtualDub.video.SetMode, found the end of the line"},
        {"VirtualDub.video.SetMode(1,);", "error: expected a number or a string as argument 2 of VirtualDub.video.SetMode, found ')'"},
        {"VirtualDub.video.SetMode 1;", "error: expected '(' after VirtualDub.video.SetMode, found a number"},
        {"VirtualDub..Close();", "error: expected a name after \"VirtualDub.\", found '.'"},
        {";", "error: expected a statement, found ';'"},
        {"VirtualDub.Close();;", "error: expected a statement, found ';'"},
        {"virtualdub.Close();", "error: virtualdub.Close is not a method the program knows"},
        {"VirtualDub.close();", "error: VirtualDub.close is not a method the program knows"},
        {"VirtualDub.Video.SetMode(1);", "error: VirtualDub.Video.SetMode is not a method the program knows"},
        {"Close();", "error: Close is not a method the program knows"},
        {"VirtualDub.SaveAVI(\"" + longPath + "\");", nullptr},
        {"VirtualDub.Close();\x01", "error: unexpected character 0x01"},
    };
    for (const Case& c : cases) {
        if (c.expected == nullptr) {
            const JobScriptReading r = ReadJobScript(c.script, ScriptDialect::VirtualDub);
            ASSERT_FALSE(r.error);
            EXPECT_EQ(r.statements[0].args[0].text, longPath);
            continue;
        }
        EXPECT_EQ(ReadOne(c.script), c.expected) << c.script;
    }
}

TEST(JobScriptReader, AnErrorNamesItsLineAndRunsNothing) {
    const std::string script = Crlf({"VirtualDub.Open(\"a.avs\",0,0);", "", "// comment",
                                     "VirtualDub.video.SetMode(09);", "VirtualDub.Close();"});
    const JobScriptReading r = ReadJobScript(script, ScriptDialect::VirtualDub);
    ASSERT_TRUE(r.error);
    EXPECT_EQ(r.error->line, 4);
    EXPECT_EQ(r.error->lineText, "VirtualDub.video.SetMode(09);");
    EXPECT_TRUE(r.statements.empty());
    // LF alone ends lines as well; the error is then on the same line.
    std::string lf = script;
    for (std::size_t p; (p = lf.find('\r')) != std::string::npos;) lf.erase(p, 1);
    EXPECT_EQ(ReadJobScript(lf, ScriptDialect::VirtualDub).error->line, 4);
}

TEST(JobScriptReader, EachMethodByItsExactArgumentCountAndKinds) {
    // Every form the job scripts use; "i" an integer, "s" a string.
    struct Form {
        const char* name;
        const char* kinds;
        bool nandubOnly;
    };
    const Form forms[] = {
        {"VirtualDub.Open", "sii", false},
        {"VirtualDub.Close", "", false},
        {"VirtualDub.SaveAVI", "s", false},
        {"VirtualDub.SaveWAV", "s", false},
        {"VirtualDub.audio.SetSource", "i", false},
        {"VirtualDub.audio.SetSource", "s", false},
        {"VirtualDub.audio.SetMode", "i", false},
        {"VirtualDub.audio.SetInterleave", "iiiii", false},
        {"VirtualDub.audio.SetClipMode", "ii", false},
        {"VirtualDub.audio.SetConversion", "iii", false},
        {"VirtualDub.audio.SetConversion", "iiiii", false},
        {"VirtualDub.audio.SetVolume", "", false},
        {"VirtualDub.audio.SetCompression", "", false},
        {"VirtualDub.audio.SetCompression", "iiiiii", false},
        {"VirtualDub.audio.SetCompression", "iiiiiiis", false},
        {"VirtualDub.audio2.SetSource", "i", true},
        {"VirtualDub.audio2.SetSource", "s", true},
        {"VirtualDub.audio2.SetMode", "i", true},
        {"VirtualDub.audio2.SetInterleave", "iiiii", true},
        {"VirtualDub.audio2.SetClipMode", "ii", true},
        {"VirtualDub.audio2.SetConversion", "iiiii", true},
        {"VirtualDub.audio2.SetVolume", "", true},
        {"VirtualDub.audio2.SetCompression", "", true},
        {"VirtualDub.video.SetMode", "i", false},
        {"VirtualDub.video.SetDepth", "ii", false},
        {"VirtualDub.video.SetFrameRate", "ii", false},
        {"VirtualDub.video.SetIVTC", "iiii", false},
        {"VirtualDub.video.SetRange", "ii", false},
        {"VirtualDub.video.SetCompression", "iiii", false},
        {"VirtualDub.video.SetCompData", "is", false},
        {"VirtualDub.video.filters.Clear", "", false},
        {"VirtualDub.subset.Delete", "", false},
        {"VirtualDub.video.SetDivX", "ii", true},
        {"VirtualDub.video.SetQualityControl", "iiii", true},
        {"VirtualDub.video.SetMotionDetection", "iiii", true},
        {"VirtualDub.video.SetCrispness", "ii", true},
        {"VirtualDub.video.SpaceKF", "i", true},
        {"VirtualDub.video.InternalSCD", "i", true},
        {"VirtualDub.video.SetMinKBPS", "i", true},
        {"VirtualDub.video.SetCurveFile", "s", true},
        {"VirtualDub.video.SetCurveMcFactor", "i", true},
        {"VirtualDub.video.SetCurveCompression", "ii", true},
        {"VirtualDub.video.SetCurveCompression", "iii", true},
        {"VirtualDub.video.SetCurveFilter", "ii", true},
        {"VirtualDub.video.SetCurveCredits", "ii", true},
        {"VirtualDub.video.SetLumaCorrectionAmp", "iii", true},
        {"VirtualDub.video.SetCurveRedist", "i", true},
        {"VirtualDub.video.SetCompLevelsMain", "ii", true},
        {"VirtualDub.video.SetCompLevelsA", "iii", true},
        {"VirtualDub.video.SetCompLevelsE", "iii", true},
        {"VirtualDub.video.SetCompLevelK", "ii", true},
        {"VirtualDub.video.SetBitsReservoir", "iiiiii", true},
        {"VirtualDub.video.SetLowBrCorrection", "ii", true},
        {"VirtualDub.video.NoAVIOutput", "i", true},
        {"VirtualDub.video.GenStats", "si", true},
        {"VirtualDub.video.SetEncodingControl", "s", true},
    };
    auto statement = [](const std::string& name, const std::string& kinds) {
        std::string s = name + "(";
        for (std::size_t i = 0; i < kinds.size(); ++i) s += (i ? "," : "") + std::string(kinds[i] == 's' ? "\"x\"" : "1");
        return s + ");";
    };
    auto accepted = [](const std::string& script, ScriptDialect d) { return !ReadJobScript(script, d).error; };
    auto known = [&](const std::string& name, const std::string& kinds) {
        for (const Form& f : forms)
            if (name == f.name && kinds == f.kinds) return true;
        return false;
    };
    for (const Form& f : forms) {
        const std::string kinds = f.kinds;
        EXPECT_TRUE(accepted(statement(f.name, kinds), ScriptDialect::Nandub)) << f.name << kinds;
        EXPECT_EQ(accepted(statement(f.name, kinds), ScriptDialect::VirtualDub), !f.nandubOnly) << f.name << kinds;
        // One argument more or fewer, or one of another kind, is refused
        // unless that is another form of the same method.
        std::vector<std::string> variants = {kinds + "i", kinds + "s"};
        if (!kinds.empty()) variants.push_back(kinds.substr(1));
        for (std::size_t i = 0; i < kinds.size(); ++i) {
            std::string v = kinds;
            v[i] = v[i] == 's' ? 'i' : 's';
            variants.push_back(v);
        }
        for (const std::string& v : variants) {
            if (known(f.name, v)) continue;
            EXPECT_FALSE(accepted(statement(f.name, v), ScriptDialect::Nandub)) << f.name << " (" << v << ")";
        }
    }
    EXPECT_EQ(ReadOne("VirtualDub.audio.SetSource(1,2);"),
              "error: VirtualDub.audio.SetSource(int, int) does not match: expected VirtualDub.audio.SetSource with "
              "(int) or (string)");
    EXPECT_EQ(ReadOne("VirtualDub.video.SetCompData(\"323\",\"AAAA\");"),
              "error: VirtualDub.video.SetCompData(string, string) does not match: expected "
              "VirtualDub.video.SetCompData with (int, string)");
    EXPECT_EQ(ReadOne("VirtualDub.video.SetCurveCompression(1,2,3,4);", ScriptDialect::Nandub),
              "error: VirtualDub.video.SetCurveCompression(int, int, int, int) does not match: expected "
              "VirtualDub.video.SetCurveCompression with (int, int) or (int, int, int)");
    EXPECT_EQ(ReadOne("VirtualDub.video.SetCompression();"),
              "error: VirtualDub.video.SetCompression() does not match: expected VirtualDub.video.SetCompression "
              "with (int, int, int, int)");
    EXPECT_EQ(ReadOne("VirtualDub.video.SetDivX(910,10);"),
              "error: VirtualDub.video.SetDivX is not a method the program knows");
}
