// The browse buttons, the codec check's changes and values set from text.
#include <gtest/gtest.h>

#include "model/form_model.h"
#include "form_test_support.h"

using namespace mb;
using mb::test::Recorder;
using mb::test::StartedForm;

TEST(FormBrowse, SourceDerivesTargetFolderAndMode) {
    const struct {
        const char* source;
        const char* target;
        const char* folder;
        int mode;  // -1: left as it was (1 before the choice)
    } cases[] = {
        {"D:\\Rip\\movie.avs", "D:\\Rip\\movie.avi", "D:\\Rip", 0},
        {"D:\\Rip\\movie.avi", "D:\\Rip\\movie_1.avi", "D:\\Rip", 1},
        {"D:\\Rip\\MOVIE.AVI", "D:\\Rip\\MOVIE_1.avi", "D:\\Rip", 1},
        {"C:\\movie.avi", "C:\\movie_1.avi", "C:", 1},
        {"D:\\Rip\\film.v2.avs", "D:\\Rip\\film.v2.avi", "D:\\Rip", 0},
        // No extension: no target to derive, the mode stays.
        {"D:\\Rip\\film", "", "D:\\Rip", -1},
        {"D:\\a.b\\film", "", "D:\\a.b", -1},
    };
    for (const auto& c : cases) {
        StartedForm f;
        f.form.SelectOption(Ctl::OptencodingMode, 1);
        f.state.TargetFilePath = "D:\\old.avi";
        f.form.BrowseSource(c.source);
        EXPECT_EQ(f.state.SourceFilePath, c.source);
        EXPECT_EQ(f.form.Text(Ctl::txtSource), c.source);
        EXPECT_EQ(f.state.TargetFilePath, c.target) << c.source;
        EXPECT_EQ(f.form.Text(Ctl::txtTarget), c.target) << c.source;
        EXPECT_EQ(f.state.TempFolderPath, c.folder) << c.source;
        EXPECT_EQ(f.form.Text(Ctl::TxtTempRep), c.folder) << c.source;
        EXPECT_EQ(f.form.Value(Ctl::OptencodingMode), c.mode < 0 ? 1 : c.mode) << c.source;
        EXPECT_TRUE(f.form.Enabled(Ctl::txtTarget)) << c.source;
        EXPECT_EQ(f.form.BackColourOf(Ctl::txtTarget), BackColour::Window) << c.source;
        EXPECT_TRUE(f.form.CommandEnabled(Command::cmdBrowseTgt)) << c.source;
        EXPECT_TRUE(f.form.ButtonEnabled(Ctl::OptencodingMode, 0)) << c.source;
        EXPECT_TRUE(f.form.ButtonEnabled(Ctl::OptencodingMode, 1)) << c.source;
    }
}

TEST(FormBrowse, CancellingTheSourceLocksTheTargetAgain) {
    StartedForm f;
    f.form.BrowseSource("D:\\Rip\\movie.avi");
    f.form.BrowseSource("");
    EXPECT_EQ(f.state.SourceFilePath, "");
    EXPECT_EQ(f.form.Text(Ctl::txtSource), "");
    EXPECT_EQ(f.form.Text(Ctl::txtTarget), "");
    EXPECT_EQ(f.state.TargetFilePath, "D:\\Rip\\movie_1.avi");
    EXPECT_EQ(f.state.TempFolderPath, "D:\\Rip");
    EXPECT_FALSE(f.form.Enabled(Ctl::txtTarget));
    EXPECT_EQ(f.form.BackColourOf(Ctl::txtTarget), BackColour::Light3D);
    EXPECT_FALSE(f.form.CommandEnabled(Command::cmdBrowseTgt));
    EXPECT_FALSE(f.form.ButtonEnabled(Ctl::OptencodingMode, 0));
    EXPECT_FALSE(f.form.ButtonEnabled(Ctl::OptencodingMode, 1));
}

TEST(FormBrowse, TargetAndTemporaryFolder) {
    const struct {
        void (FormModel::*browse)(std::string_view);
        std::string ProgramState::*path;
        Ctl box;
        const char* chosen;
        const char* kept;
    } cases[] = {
        {&FormModel::BrowseTarget, &ProgramState::TargetFilePath, Ctl::txtTarget, "E:\\out\\film.avi",
         "E:\\out\\film.avi"},
        {&FormModel::BrowseTarget, &ProgramState::TargetFilePath, Ctl::txtTarget, "", ""},
        {&FormModel::BrowseTempFolder, &ProgramState::TempFolderPath, Ctl::TxtTempRep, "E:\\tmp", "E:\\tmp"},
        {&FormModel::BrowseTempFolder, &ProgramState::TempFolderPath, Ctl::TxtTempRep, "C:\\", "C:"},
        {&FormModel::BrowseTempFolder, &ProgramState::TempFolderPath, Ctl::TxtTempRep, "", ""},
    };
    for (const auto& c : cases) {
        StartedForm f;
        f.form.BrowseSource("D:\\Rip\\movie.avs");
        (f.form.*c.browse)(c.chosen);
        EXPECT_EQ(f.state.*c.path, c.kept) << c.chosen;
        EXPECT_EQ(f.form.Text(c.box), c.kept) << c.chosen;
    }
}

TEST(FormBrowse, AudioStreamsOfferAc3ForAc3FilesOnly) {
    const struct {
        const char* file;
        bool ac3;
    } cases[] = {
        {"D:\\a\\track.ac3", true},   {"D:\\a\\track.AC3", false}, {"D:\\a\\track.mpa", false},
        {"D:\\a\\track", false},      {"D:\\a.ac3\\track", false}, {"D:\\a\\track.ac3.mpa", false},
    };
    for (const auto& c : cases) {
        StartedForm f;
        f.form.BrowseStream1(c.file);
        EXPECT_EQ(f.state.Stream1FilePath, c.file);
        EXPECT_EQ(f.form.Text(Ctl::TxtStream1), c.file);
        EXPECT_EQ(f.form.ButtonEnabled(Ctl::OptAudioFormat1, 0), c.ac3) << c.file;
        EXPECT_TRUE(f.form.Enabled(Ctl::ChkStream2));
        EXPECT_EQ(f.form.Value(Ctl::ChkMux), 1);
        EXPECT_TRUE(f.form.Enabled(Ctl::ChkMux));

        f.form.SetCheck(Ctl::ChkStream2, 1);
        f.form.BrowseStream2(c.file);
        EXPECT_EQ(f.state.Stream2FilePath, c.file);
        EXPECT_EQ(f.form.Text(Ctl::TxtStream2), c.file);
        EXPECT_EQ(f.form.ButtonEnabled(Ctl::OptAudioFormat2, 0), c.ac3) << c.file;
    }

    // A cancelled stream-2 dialog only empties its path.
    StartedForm f;
    f.form.BrowseStream1("D:\\a\\one.ac3");
    f.form.SetCheck(Ctl::ChkStream2, 1);
    f.form.BrowseStream2("D:\\a\\two.ac3");
    f.form.BrowseStream2("");
    EXPECT_EQ(f.state.Stream2FilePath, "");
    EXPECT_EQ(f.form.Text(Ctl::TxtStream2), "");
    EXPECT_TRUE(f.form.ButtonEnabled(Ctl::OptAudioFormat2, 0));
    EXPECT_EQ(f.form.Value(Ctl::ChkStream2), 1);
}

TEST(FormBrowse, CancellingStreamOneDropsStreamTwoAndMuxing) {
    StartedForm f;
    f.form.BrowseStream1("D:\\a\\one.ac3");
    f.form.SetCheck(Ctl::ChkStream2, 1);
    f.form.BrowseStream2("D:\\a\\two.mpa");
    f.form.SetText(Ctl::TxtDelay2, "300");
    f.form.BrowseStream1("");
    EXPECT_EQ(f.state.Stream1FilePath, "");
    EXPECT_EQ(f.state.Stream2FilePath, "");
    EXPECT_EQ(f.form.Text(Ctl::TxtStream1), "");
    EXPECT_EQ(f.form.Text(Ctl::TxtStream2), "");
    EXPECT_EQ(f.form.Text(Ctl::TxtDelay2), "0");
    EXPECT_EQ(f.form.Value(Ctl::ChkStream2), 0);
    EXPECT_FALSE(f.form.Enabled(Ctl::ChkStream2));
    EXPECT_FALSE(f.form.Enabled(Ctl::TxtStream2));
    EXPECT_EQ(f.form.Value(Ctl::ChkMux), 0);
    EXPECT_FALSE(f.form.Enabled(Ctl::ChkMux));
}

TEST(FormCodecCheck, ChoicesFollowTheCodecsFound) {
    const struct {
        const char* what;
        CodecCheckResult found;
        int selectedBefore;
        std::vector<bool> enabled;
        int selected;
    } cases[] = {
        {"all", {{}, true, true, false, true, true, true}, 0, {true, true, true, true}, 0},
        {"DivX 5 Pro only", {{}, false, true, false, false, false, false}, 2, {true, false, false, false}, 0},
        {"DivX 4 only", {{}, true, false, false, false, false, false}, 0, {false, true, false, false}, 1},
        {"XviD and DivX 3 fast", {{}, false, false, false, true, false, true}, 3, {false, false, true, true}, 2},
        {"DivX 3 low only", {{}, false, false, false, false, true, false}, 0, {false, false, false, true}, -1},
        {"nothing", {{}, false, false, false, false, false, false}, 3, {false, false, false, false}, -1},
    };
    for (const auto& c : cases) {
        StartedForm f;
        f.form.SelectOption(Ctl::OptCodec, c.selectedBefore);
        f.form.ApplyCodecCheck(c.found, false);
        for (int b = 0; b < 4; ++b)
            EXPECT_EQ(f.form.ButtonEnabled(Ctl::OptCodec, b), c.enabled[static_cast<std::size_t>(b)]) << c.what << b;
        EXPECT_EQ(f.form.Value(Ctl::OptCodec), c.selected) << c.what;
        if (c.selected >= 0) EXPECT_TRUE(f.form.Enabled(Ctl::CmbNumPass)) << c.what;
    }

    // Detection only ever disables.
    StartedForm f;
    f.form.ApplyCodecCheck({{}, true, false, false, false, false, false}, false);
    f.form.ApplyCodecCheck({{}, true, true, true, true, true, true}, true);
    EXPECT_FALSE(f.form.ButtonEnabled(Ctl::OptCodec, 0));
    EXPECT_FALSE(f.form.ButtonEnabled(Ctl::OptAudioFormat1, 3));
    EXPECT_EQ(f.form.Value(Ctl::OptCodec), 1);
    EXPECT_TRUE(f.form.PanelVisible(Panel::FrmDivx4));
}

TEST(FormCodecCheck, StandardDivx5LacksToolsAndPreProcessing) {
    StartedForm f;
    f.form.SetSlider(Ctl::SldPreProc, 3);
    f.form.SetCheck(Ctl::chkQPel, 1);
    f.form.ApplyCodecCheck({{}, false, true, true, false, false, false}, true);
    for (Ctl c : {Ctl::chkQPel, Ctl::chkGMC, Ctl::chkBFrame, Ctl::SldPreProc}) {
        EXPECT_EQ(f.form.Value(c), 0) << Control(c).name;
        EXPECT_FALSE(f.form.Enabled(c)) << Control(c).name;
    }
    EXPECT_EQ(f.form.LabelText(Label::lbPreProc), "None");

    StartedForm pro;
    pro.form.ApplyCodecCheck({{}, false, true, false, false, false, false}, true);
    EXPECT_EQ(pro.form.Value(Ctl::chkGMC), 1);
    EXPECT_TRUE(pro.form.Enabled(Ctl::SldPreProc));
}

TEST(FormCodecCheck, DivxAudioCodec) {
    for (bool found : {false, true}) {
        StartedForm f;
        f.form.ApplyCodecCheck({{}, true, true, false, true, true, true}, found);
        EXPECT_EQ(f.form.ButtonEnabled(Ctl::OptAudioFormat1, 3), found);
        EXPECT_EQ(f.state.DivxAudioCodecFound, found);
        f.form.BrowseStream1("D:\\a\\one.mpa");
        f.form.SetCheck(Ctl::ChkStream2, 1);
        EXPECT_EQ(f.form.ButtonEnabled(Ctl::OptAudioFormat2, 3), found);
    }
}

TEST(FormSetFromText, AcceptsValuesOfTheRightKindOnly) {
    const struct {
        Ctl c;
        const char* value;
        bool accepted;
        const char* warning;
    } cases[] = {
        {Ctl::ChkCPU, "1", true, ""},
        {Ctl::ChkCPU, "2", false, "ChkCPU: \"2\" is neither 0 nor 1"},
        {Ctl::ChkCPU, "yes", false, "ChkCPU: \"yes\" is not a whole number"},
        {Ctl::ChkCPU, "-1", false, "ChkCPU: \"-1\" is not a whole number"},
        {Ctl::ChkDivx4Pass3, "1", false, "ChkDivx4Pass3: not set to \"1\", the control is disabled"},
        {Ctl::ChkSplitSize, "1", false, "ChkSplitSize: not set to \"1\", the control is hidden"},
        {Ctl::CmbMotion, "6", true, ""},
        {Ctl::CmbMotion, "7", false, "CmbMotion: there is no entry \"7\""},
        {Ctl::OptCodec, "3", true, ""},
        {Ctl::OptCodec, "4", false, "OptCodec: there is no button \"4\""},
        {Ctl::OptAudioFormat1, "0", false, "OptAudioFormat1: not set to \"0\", that button is disabled"},
        {Ctl::OptAudioFormat1, "2", false, "OptAudioFormat1: not set to \"2\", that button is hidden"},
        {Ctl::SldSwitchFM, "150", true, ""},
        {Ctl::SldSwitchFM, "301", false, "SldSwitchFM: \"301\" is outside 0..300"},
        {Ctl::TxtBr4, "fast", true, ""},
    };
    for (const auto& c : cases) {
        StartedForm f;
        std::string warning = "stale";
        EXPECT_EQ(f.form.SetFromText(c.c, c.value, warning), c.accepted) << Control(c.c).name << c.value;
        EXPECT_EQ(warning, c.warning);
        if (!c.accepted) continue;
        if (Control(c.c).kind == ControlKind::Text)
            EXPECT_EQ(f.form.Text(c.c), c.value);
        else
            EXPECT_EQ(f.form.Value(c.c), std::stoi(c.value)) << Control(c.c).name;
    }

    // Rules run as for a user's change, and path boxes follow their paths.
    StartedForm f;
    std::string warning;
    ASSERT_TRUE(f.form.SetFromText(Ctl::OptCodec, "3", warning));
    EXPECT_TRUE(f.form.PanelVisible(Panel::SSTabDivx3Panel));
    ASSERT_TRUE(f.form.SetFromText(Ctl::txtSource, "D:\\Rip\\movie.avi", warning));
    EXPECT_EQ(f.state.SourceFilePath, "D:\\Rip\\movie.avi");
    EXPECT_EQ(f.state.TargetFilePath, "D:\\Rip\\movie_1.avi");
    ASSERT_TRUE(f.form.SetFromText(Ctl::txtTarget, "E:\\film.avi", warning));
    EXPECT_EQ(f.state.TargetFilePath, "E:\\film.avi");
    EXPECT_FALSE(f.form.SetFromText(Ctl::TxtStream2, "D:\\two.ac3", warning));
    EXPECT_EQ(f.state.Stream2FilePath, "");
}
