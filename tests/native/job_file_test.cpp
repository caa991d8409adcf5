// Saved jobs: reading the sections, and loading them into the form in the
// order the browse buttons and the control rules need.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "model/saved_job.h"
#include "form_test_support.h"
#include "job_source_fake.h"

using namespace mb;
using mb::test::Recorder;
using mb::testing::TextJobSource;

namespace {

// A job read from text, applied to a new form.
struct LoadedJob {
    ProgramState state;
    FormModel form{state};
    std::vector<std::string> parseWarnings;
    std::vector<std::string> warnings;

    explicit LoadedJob(const std::string& text, FormObserver* observer = nullptr) {
        TextJobSource source(text);
        const SavedJob job = ReadSavedJob(source, parseWarnings);
        StartSavedJobForm(form, state);
        if (observer) form.AddObserver(observer);
        ApplySavedJob(job, form, warnings);
        ApplySavedJobTools(job, state);
    }
};

using Lines = std::vector<std::string>;

}  // namespace

TEST(JobValue, BlanksQuotesAndComments) {
    const struct {
        const char* raw;
        const char* value;
    } cases[] = {
        {"780", "780"},
        {"  780 \t", "780"},
        {"780      ; text boxes: the text as typed", "780"},
        {"780\t;comment", "780"},
        {"                     ; optional", ""},
        {";nothing", ""},
        {"", ""},
        {"a;b", "a;b"},  // a ";" inside a word is part of the value
        {"D:\\Rip\\movie.avi", "D:\\Rip\\movie.avi"},
        {"\"C:\\My Rips ;1\\movie.avs\"", "C:\\My Rips ;1\\movie.avs"},
        {"\"C:\\x.avs\"   ; quoted, then a comment", "C:\\x.avs"},
        {"'single'", "single"},
        {"\"unclosed", "\"unclosed"},
        {"\"a\" b", "\"a\" b"},  // text after the closing quote: taken as written
        {"\"\"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(SavedJobValueText(c.raw), c.value) << c.raw;
}

TEST(JobParse, TheDocumentedExampleReadsCleanly) {
    TextJobSource source(
        "[Paths]\r\n"
        "SourceFilePath=D:\\Rip\\movie.avs\r\n"
        "TargetFilePath=D:\\Rip\\movie.avi      ; optional: derived from the source\r\n"
        "TempFolderPath=D:\\Rip                ; optional: derived likewise\r\n"
        "Stream1FilePath=D:\\Rip\\a.ac3         ; optional\r\n"
        "Stream2FilePath=                     ; optional\r\n"
        "[Settings]\r\n"
        "OptCodec=1          ; option groups: the selected button's index\r\n"
        "CmbNumPass=1        ; lists: the selected entry's 0-based index\r\n"
        "TxtBr4=780          ; text boxes: the text as typed\r\n"
        "ChkDivx4Pass3=1     ; check boxes: 0 or 1\r\n"
        "SldPostProces=4     ; sliders: whole number\r\n"
        "[Tools]             ; optional; overrides Marobex.ini\r\n"
        "VirtualDubPath=C:\\vd\\VirtualDub.exe\r\n"
        "NanDubPath=C:\\nd\\NanDub.exe\r\n"
        "BesweetPath=C:\\bs\\BeSweet.exe\r\n");
    Lines warnings;
    const SavedJob job = ReadSavedJob(source, warnings);
    EXPECT_EQ(warnings, Lines{});
    EXPECT_EQ(job.SourceFilePath, "D:\\Rip\\movie.avs");
    EXPECT_EQ(job.TargetFilePath, "D:\\Rip\\movie.avi");
    EXPECT_EQ(job.TempFolderPath, "D:\\Rip");
    EXPECT_EQ(job.Stream1FilePath, "D:\\Rip\\a.ac3");
    EXPECT_EQ(job.Stream2FilePath, "");
    EXPECT_EQ(job.VirtualDubPath, "C:\\vd\\VirtualDub.exe");
    EXPECT_EQ(job.NanDubPath, "C:\\nd\\NanDub.exe");
    EXPECT_EQ(job.BesweetPath, "C:\\bs\\BeSweet.exe");

    std::map<std::string, std::string> given;
    for (int i = 0; i < kControlCount; ++i)
        if (const auto& v = job.settings[static_cast<std::size_t>(i)]) given[Control(static_cast<Ctl>(i)).name] = *v;
    EXPECT_EQ(given, (std::map<std::string, std::string>{{"OptCodec", "1"},
                                                         {"CmbNumPass", "1"},
                                                         {"TxtBr4", "780"},
                                                         {"ChkDivx4Pass3", "1"},
                                                         {"SldPostProces", "4"}}));
}

TEST(JobParse, NamesInAnyCaseAndEverythingElseWarned) {
    TextJobSource source(
        "[paths]\n"
        "sourcefilepath = D:\\a.avs\n"
        "Bogus=1\n"
        "SOURCEFILEPATH=D:\\second.avs\n"
        "[Video]\n"
        "OptCodec=2\n"
        "[SETTINGS]\n"
        "optcodec=2\n"
        "txtbr4=900\n"
        "TxtBr5=1\n"
        "just some words\n"
        "; a comment\n"
        "=7\n"
        "[tools]\n"
        "nandubpath=C:\\nd.exe\n"
        "Codec=C:\\codec.exe\n"
        "[Settings]\n"
        "OptCodec=3\n");
    Lines warnings;
    const SavedJob job = ReadSavedJob(source, warnings);
    EXPECT_EQ(warnings, (Lines{
                            "[paths] Bogus: unknown key, ignored",
                            "[paths] SOURCEFILEPATH: given again, the first value counts",
                            "[Video]: unknown section, ignored",
                            "[SETTINGS] TxtBr5: unknown key, ignored",
                            "[SETTINGS] \"just some words\": not a key=value line, ignored",
                            "[SETTINGS] : unknown key, ignored",
                            "[tools] Codec: unknown key, ignored",
                        }));
    EXPECT_EQ(job.SourceFilePath, "D:\\a.avs");
    EXPECT_EQ(job.settings[static_cast<std::size_t>(Ctl::OptCodec)], "2");
    EXPECT_EQ(job.settings[static_cast<std::size_t>(Ctl::TxtBr4)], "900");
    EXPECT_EQ(job.NanDubPath, "C:\\nd.exe");
}

TEST(JobLoad, StartsFromTheWindowsStartupWithNoCodecRestricted) {
    LoadedJob empty("");
    ProgramState state;
    FormModel reference(state);
    reference.RunStartup({});
    for (int i = 0; i < kControlCount; ++i) {
        const Ctl c = static_cast<Ctl>(i);
        EXPECT_EQ(empty.form.Text(c), reference.Text(c)) << Control(c).name;
        EXPECT_EQ(empty.form.Value(c), reference.Value(c)) << Control(c).name;
        EXPECT_EQ(empty.form.Enabled(c), reference.Enabled(c)) << Control(c).name;
    }
    for (int b = 0; b < 4; ++b) EXPECT_TRUE(empty.form.ButtonEnabled(Ctl::OptCodec, b)) << b;
    EXPECT_TRUE(empty.form.ButtonEnabled(Ctl::OptAudioFormat1, 3));
    EXPECT_FALSE(empty.state.Divx4FourccIsDivx);
    EXPECT_TRUE(empty.state.DivxAudioCodecFound);
    EXPECT_EQ(empty.warnings, Lines{});

    // The DivX audio codec counts as found, so stream 2 offers it too.
    LoadedJob divxAudio(
        "[Paths]\nStream1FilePath=D:\\a.mpa\n"
        "[Settings]\nChkStream2=1\nOptAudioFormat2=3\n");
    EXPECT_EQ(divxAudio.warnings, Lines{});
    EXPECT_EQ(divxAudio.form.Value(Ctl::OptAudioFormat2), 3);
    EXPECT_EQ(divxAudio.form.Value(Ctl::Chk44Stream2), 1);
}

TEST(JobLoad, PathsGoThroughTheBrowseButtons) {
    const struct {
        const char* paths;
        const char* target;
        const char* temp;
        int mode;
        Lines warnings;
    } cases[] = {
        {"SourceFilePath=D:\\Rip\\movie.avs", "D:\\Rip\\movie.avi", "D:\\Rip", 0, {}},
        {"SourceFilePath=D:\\Rip\\movie.AVI", "D:\\Rip\\movie_1.avi", "D:\\Rip", 1, {}},
        {"SourceFilePath=D:\\Rip\\movie.avi\nTargetFilePath=E:\\out.avi\nTempFolderPath=F:\\tmp\\",
         "E:\\out.avi", "F:\\tmp", 1, {}},
        // The target browse button waits for a source.
        {"TargetFilePath=E:\\out.avi\nTempFolderPath=F:\\tmp",
         "", "F:\\tmp", 0,
         {"[Paths] TargetFilePath: not set to \"E:\\out.avi\", the target needs a source first"}},
        // An empty value is a path not given.
        {"SourceFilePath=D:\\Rip\\movie.avs\nTargetFilePath=\nTempFolderPath=", "D:\\Rip\\movie.avi", "D:\\Rip", 0, {}},
    };
    for (const auto& c : cases) {
        LoadedJob j(std::string("[Paths]\n") + c.paths + "\n");
        EXPECT_EQ(j.state.TargetFilePath, c.target) << c.paths;
        EXPECT_EQ(j.form.Text(Ctl::txtTarget), c.target) << c.paths;
        EXPECT_EQ(j.state.TempFolderPath, c.temp) << c.paths;
        EXPECT_EQ(j.form.Text(Ctl::TxtTempRep), c.temp) << c.paths;
        EXPECT_EQ(j.form.Value(Ctl::OptencodingMode), c.mode) << c.paths;
        EXPECT_EQ(j.warnings, c.warnings) << c.paths;
    }
}

TEST(JobLoad, SettingsFollowTheControlListWhateverTheFileOrder) {
    // Written backwards: the third pass needs two passes, which need DivX 4
    // chosen first, and its size fields need the third pass.
    LoadedJob j(
        "[Settings]\n"
        "TxtDivx4Size=700000\n"
        "ChkDivx4Pass3=1\n"
        "CmbNumPass=1\n"
        "OptCodec=1\n"
        "[Paths]\n"
        "SourceFilePath=D:\\Rip\\movie.avs\n");
    EXPECT_EQ(j.warnings, Lines{});
    EXPECT_EQ(j.form.Value(Ctl::OptCodec), 1);
    EXPECT_EQ(j.form.Value(Ctl::CmbNumPass), 1);
    EXPECT_EQ(j.form.Value(Ctl::ChkDivx4Pass3), 1);
    EXPECT_EQ(j.form.Text(Ctl::TxtDivx4Size), "700000");

    // The browse buttons first, then the settings, then stream 2.
    Recorder rec;
    LoadedJob ordered(
        "[Settings]\nChkStream2=1\nOptCodec=2\n"
        "[Paths]\nStream2FilePath=D:\\b.ac3\nStream1FilePath=D:\\a.ac3\nTempFolderPath=E:\\t\n"
        "TargetFilePath=E:\\x.avi\nSourceFilePath=D:\\m.avs\n",
        &rec);
    Lines order;
    for (const std::string& e : rec.events)
        for (const char* name : {"txtSource", "txtTarget", "TxtTempRep", "TxtStream1", "OptCodec", "ChkStream2",
                                 "TxtStream2"})
            if (e == std::string("value ") + name && (order.empty() || order.back() != name)) order.push_back(name);
    EXPECT_EQ(order, (Lines{"txtSource", "txtTarget", "TxtTempRep", "txtTarget", "TxtTempRep", "TxtStream1",
                            "OptCodec", "ChkStream2", "TxtStream2"}));
    EXPECT_EQ(ordered.state.Stream2FilePath, "D:\\b.ac3");
    EXPECT_TRUE(ordered.form.ButtonEnabled(Ctl::OptAudioFormat2, 0));
}

TEST(JobLoad, RefusedValuesAreWarnedAndLeaveTheControl) {
    const struct {
        const char* settings;
        Ctl control;
        int value;
        const char* warning;
    } cases[] = {
        {"ChkDivx4Pass3=1", Ctl::ChkDivx4Pass3, 0,
         "[Settings] ChkDivx4Pass3: not set to \"1\", the control is disabled"},
        {"ChkCPU=x", Ctl::ChkCPU, 0, "[Settings] ChkCPU: \"x\" is not a whole number"},
        {"OptCodec=4", Ctl::OptCodec, 0, "[Settings] OptCodec: there is no button \"4\""},
        {"CmbNumPass=2", Ctl::CmbNumPass, 0, "[Settings] CmbNumPass: there is no entry \"2\""},
        {"SldPostProces=7", Ctl::SldPostProces, 0, "[Settings] SldPostProces: \"7\" is outside 0..6"},
        {"CmbPriority=", Ctl::CmbPriority, 5, "[Settings] CmbPriority: \"\" is not a whole number"},
        // AC3 is offered for an .ac3 stream only.
        {"OptAudioFormat1=0", Ctl::OptAudioFormat1, 1,
         "[Settings] OptAudioFormat1: not set to \"0\", that button is disabled"},
        {"ChkSplitSize=1", Ctl::ChkSplitSize, 0, "[Settings] ChkSplitSize: not set to \"1\", the control is hidden"},
        {"txtTarget=E:\\x.avi", Ctl::txtTarget, 0,
         "[Settings] txtTarget: a path box, ignored; give its path under [Paths]"},
    };
    for (const auto& c : cases) {
        LoadedJob j(std::string("[Settings]\n") + c.settings + "\n");
        EXPECT_EQ(j.warnings, Lines{c.warning}) << c.settings;
        EXPECT_EQ(j.form.Value(c.control), c.value) << c.settings;
    }
    LoadedJob target("[Settings]\ntxtTarget=E:\\x.avi\n");
    EXPECT_EQ(target.state.TargetFilePath, "");
}

TEST(JobLoad, SecondStreamNeedsItsCheckBox) {
    LoadedJob without(
        "[Paths]\nStream1FilePath=D:\\a.mpa\nStream2FilePath=D:\\b.ac3\n");
    EXPECT_EQ(without.warnings,
              Lines{"[Paths] Stream2FilePath: not set to \"D:\\b.ac3\", ChkStream2 is not checked"});
    EXPECT_EQ(without.state.Stream2FilePath, "");
    EXPECT_EQ(without.form.Text(Ctl::TxtStream2), "");

    LoadedJob with(
        "[Paths]\nStream1FilePath=D:\\a.mpa\nStream2FilePath=D:\\b.ac3\n"
        "[Settings]\nChkStream2=1\nTxtDelay2=-40\nChkMux=1\n");
    EXPECT_EQ(with.warnings, Lines{});
    EXPECT_EQ(with.state.Stream2FilePath, "D:\\b.ac3");
    EXPECT_EQ(with.form.Text(Ctl::TxtStream2), "D:\\b.ac3");
    EXPECT_EQ(with.form.Text(Ctl::TxtDelay2), "-40");
    EXPECT_EQ(with.form.Value(Ctl::ChkMux), 1);
    // Stream 2's AC3 button follows its file; the format stays MP3.
    EXPECT_TRUE(with.form.ButtonEnabled(Ctl::OptAudioFormat2, 0));
    EXPECT_EQ(with.form.Value(Ctl::OptAudioFormat2), 1);
}

TEST(JobLoad, ToolsOverrideOnlyWhatTheJobNames) {
    TextJobSource source("[Tools]\nNanDubPath=C:\\nd\\NanDub.exe\nBesweetPath=\n");
    Lines warnings;
    const SavedJob job = ReadSavedJob(source, warnings);
    ProgramState state;
    state.VirtualDubPath = "C:\\vd.exe";
    state.NanDubPath = "C:\\old-nd.exe";
    state.BesweetPath = "C:\\bs.exe";
    ApplySavedJobTools(job, state);
    EXPECT_EQ(state.VirtualDubPath, "C:\\vd.exe");
    EXPECT_EQ(state.NanDubPath, "C:\\nd\\NanDub.exe");
    EXPECT_EQ(state.BesweetPath, "C:\\bs.exe");
}
