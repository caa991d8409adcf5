#include "model/form_model.h"

#include <gtest/gtest.h>

#include <set>

#include "form_test_support.h"

using namespace mb;
using mb::test::Recorder;
using mb::test::StartedForm;

namespace {

const std::set<Ctl> kDisabledAfterStartup = {
    Ctl::ChkDivx4Pass3,  Ctl::TxtDivx4Size,    Ctl::TxtDivx4OverSize, Ctl::ChkModulated2pass,
    Ctl::TxtSize,        Ctl::Chklum,          Ctl::ChkHintME,        Ctl::CmbAgression,
    Ctl::TxtHighDist,    Ctl::TxtLowDist,      Ctl::ChkAutoQuality,   Ctl::TxtStrenght,
    Ctl::TxtMinQuality,  Ctl::ChkAutoBonus,    Ctl::TxtBonusBias,     Ctl::TxtAntiShit,
    Ctl::TxtMinQual3,    Ctl::TxtMotionMod,    Ctl::TxtThreshold,     Ctl::TxtGain,
    Ctl::TxtAsymetricLow, Ctl::TxtAsymetricHigh, Ctl::TxtBasedMotion, Ctl::ChkStream2,
    Ctl::TxtStream2,     Ctl::CmbMP3ModeStream2, Ctl::CmbBitrate2,    Ctl::TxtDelay2,
    Ctl::Chk44Stream2,   Ctl::ChkNormaliseStream2, Ctl::SldAmpliStream2, Ctl::txtTarget,
    Ctl::ChkMux,
};

// Stream 2 switched on, as after choosing a first audio file.
void OpenStream2(FormModel& form) {
    form.BrowseStream1("D:\\a\\one.mpa");
    form.SetCheck(Ctl::ChkStream2, 1);
}

}  // namespace

TEST(FormStartup, LayoutBeforeStartup) {
    ProgramState state;
    FormModel form(state);
    for (Ctl c : {Ctl::ChkStream2, Ctl::ChkError, Ctl::ChkLuminance3, Ctl::ChkCurveMotion, Ctl::ChkAltCurve})
        EXPECT_EQ(form.Value(c), 1) << Control(c).name;
    for (Ctl c : {Ctl::OptCodec, Ctl::OptencodingMode, Ctl::OptAudioFormat1, Ctl::CmbNumPass, Ctl::CmbPriority})
        EXPECT_EQ(form.Value(c), -1) << Control(c).name;
    EXPECT_EQ(form.Value(Ctl::OptPayback), 0);
    EXPECT_EQ(form.Value(Ctl::SldSwitchFM), 0);
    EXPECT_EQ(form.Value(Ctl::SldAmpliStream2), 0);
    EXPECT_EQ(form.LabelText(Label::LbPE), "LbPE");
    EXPECT_EQ(form.LabelText(Label::lbPreProc), "lbPreProc");
    EXPECT_EQ(form.LabelText(Label::LbFM), "FM");
    EXPECT_EQ(form.LabelText(Label::LbLM), "LM");
}

TEST(FormStartup, EveryFieldHoldsItsDefaultAndTheTablesEnabledState) {
    StartedForm f;
    for (int i = 0; i < kControlCount; ++i) {
        const Ctl c = static_cast<Ctl>(i);
        const ControlInfo& info = Control(c);
        if (info.kind == ControlKind::Text)
            EXPECT_EQ(f.form.Text(c), info.defaultText) << info.name;
        else
            EXPECT_EQ(f.form.Value(c), info.defaultValue) << info.name;
        EXPECT_EQ(f.form.Enabled(c), kDisabledAfterStartup.count(c) == 0) << info.name;
        EXPECT_EQ(f.form.Visible(c), c != Ctl::ChkSplitSize && c != Ctl::TxtSplitSize) << info.name;
        const bool grey = c == Ctl::txtTarget || c == Ctl::TxtStream2;
        EXPECT_EQ(f.form.BackColourOf(c), grey ? BackColour::Light3D : BackColour::Window) << info.name;
    }
    const struct {
        Ctl group;
        std::vector<bool> enabled, visible;
    } buttons[] = {
        {Ctl::OptencodingMode, {false, false}, {true, true}},
        {Ctl::OptCodec, {true, true, true, true}, {true, true, true, true}},
        {Ctl::OptAudioFormat1, {false, true, true, true}, {true, true, false, true}},
        {Ctl::OptAudioFormat2, {false, false, false, false}, {true, true, false, true}},
    };
    for (const auto& b : buttons)
        for (int i = 0; i < FormModel::ButtonCount(b.group); ++i) {
            EXPECT_EQ(f.form.ButtonEnabled(b.group, i), b.enabled[static_cast<std::size_t>(i)]) << Control(b.group).name << i;
            EXPECT_EQ(f.form.ButtonVisible(b.group, i), b.visible[static_cast<std::size_t>(i)]) << Control(b.group).name << i;
        }
    EXPECT_EQ(f.form.LabelText(Label::LbPE), "Light");
    EXPECT_EQ(f.form.LabelText(Label::lbPreProc), "None");
    EXPECT_EQ(f.form.LabelText(Label::LbFM), "300");
    EXPECT_EQ(f.form.LabelText(Label::LbLM), "300");
    EXPECT_EQ(f.form.LabelText(Label::LbAmpliStream1), "2");
    EXPECT_EQ(f.form.LabelText(Label::LbAmpliStream2), "2");
    EXPECT_TRUE(f.form.PanelVisible(Panel::FrmDivx5));
    EXPECT_FALSE(f.form.PanelVisible(Panel::FrmDivx4));
    EXPECT_FALSE(f.form.PanelVisible(Panel::SSTabDivx3Panel));
    EXPECT_FALSE(f.form.PanelVisible(Panel::SSTabXividPanel));
    EXPECT_EQ(f.form.SelectedTab(TabStrip::SSTabMain), 0);
    EXPECT_FALSE(f.form.CommandEnabled(Command::cmdBrowseTgt));
    EXPECT_FALSE(f.form.CommandEnabled(Command::CmdBrowseStream2));
}

TEST(FormStartup, OutsideStepsRunAtTheirPlace) {
    ProgramState state;
    FormModel form(state);
    std::vector<std::string> seen;
    form.RunStartup({[&] {
                         // After the DivX 3 check boxes, before the target is locked.
                         EXPECT_EQ(form.Value(Ctl::ChkCurveMotion), 0);
                         EXPECT_TRUE(form.Enabled(Ctl::txtTarget));
                         seen.push_back("registry");
                     },
                     [&] {
                         EXPECT_EQ(form.Value(Ctl::ChkAltCurve), 0);
                         EXPECT_FALSE(form.ButtonEnabled(Ctl::OptencodingMode, 1));
                         seen.push_back("codecs");
                         form.ApplyCodecCheck({{}, true, false, false, false, false, false}, false);
                     }});
    EXPECT_EQ(seen, (std::vector<std::string>{"registry", "codecs"}));
    EXPECT_EQ(form.Value(Ctl::OptCodec), 1);
    EXPECT_FALSE(form.ButtonEnabled(Ctl::OptAudioFormat1, 3));
}

TEST(FormRules, SettingTheCurrentValueRunsNothing) {
    StartedForm f;
    Recorder rec;
    f.form.AddObserver(&rec);
    for (int i = 0; i < kControlCount; ++i) {
        const Ctl c = static_cast<Ctl>(i);
        switch (Control(c).kind) {
            case ControlKind::Text: f.form.SetText(c, f.form.Text(c)); break;
            case ControlKind::Check: f.form.SetCheck(c, f.form.Value(c)); break;
            case ControlKind::Option: f.form.SelectOption(c, f.form.Value(c)); break;
            case ControlKind::List: f.form.SelectListEntry(c, f.form.Value(c)); break;
            case ControlKind::Slider: f.form.SetSlider(c, f.form.Value(c)); break;
        }
    }
    EXPECT_TRUE(rec.events.empty()) << rec.events.front();

    // Setting the curve system: both automatic options are already on.
    f.form.SetCheck(Ctl::ChkAltCurve, 1);
    EXPECT_EQ(rec.Count("rule+ "), 1);
    EXPECT_EQ(rec.Count("rule+ ChkAutoQuality"), 0);
}

TEST(FormRules, NestedRulesRunInsideTheFirst) {
    StartedForm f;
    f.form.SetCheck(Ctl::ChkAltCurve, 1);
    f.form.SetCheck(Ctl::ChkAutoQuality, 0);
    Recorder rec;
    f.form.AddObserver(&rec);
    f.form.SetCheck(Ctl::ChkAltCurve, 0);
    const std::vector<std::string> expected = {
        "value ChkAltCurve",      "rule+ ChkAltCurve",        "enabled CmbAgression",
        "value ChkAutoQuality",   "rule+ ChkAutoQuality",     "enabled TxtMinQuality",
        "enabled TxtStrenght",    "rule- ChkAutoQuality",     "enabled ChkAutoQuality",
        "enabled TxtHighDist",    "enabled TxtLowDist",       "enabled TxtStrenght",
        "enabled ChkAutoBonus",   "rule- ChkAltCurve",
    };
    EXPECT_EQ(rec.events, expected);
    EXPECT_FALSE(f.form.Enabled(Ctl::TxtStrenght));
}

TEST(FormRules, CodecChoice) {
    const struct {
        int button;
        Panel panel;
        int passEntry;
        bool passListEnabled;
    } cases[] = {
        {0, Panel::FrmDivx5, 0, true},
        {1, Panel::FrmDivx4, 0, true},
        {2, Panel::SSTabXividPanel, 0, true},
        {3, Panel::SSTabDivx3Panel, 1, false},
    };
    for (const auto& c : cases) {
        StartedForm f;
        f.form.SelectOption(Ctl::OptCodec, c.button == 1 ? 2 : 1);
        f.form.SelectListEntry(Ctl::CmbNumPass, 1);
        f.form.SelectTab(TabStrip::SSTabXividPanel, 1);
        f.form.SelectTab(TabStrip::SSTabDivx3Panel, 1);
        f.form.SelectOption(Ctl::OptCodec, c.button);
        for (int p = 0; p < kPanelCount; ++p)
            EXPECT_EQ(f.form.PanelVisible(static_cast<Panel>(p)), static_cast<Panel>(p) == c.panel) << c.button;
        EXPECT_EQ(f.form.Value(Ctl::CmbNumPass), c.passEntry) << c.button;
        EXPECT_EQ(f.form.Enabled(Ctl::CmbNumPass), c.passListEnabled) << c.button;
        EXPECT_EQ(f.form.SelectedTab(TabStrip::SSTabXividPanel), 0) << c.button;
        EXPECT_EQ(f.form.SelectedTab(TabStrip::SSTabDivx3Panel), 0) << c.button;
        EXPECT_FALSE(f.form.Enabled(Ctl::ChkDivx4Pass3)) << c.button;
        EXPECT_EQ(f.form.Value(Ctl::ChkDivx4Pass3), 0) << c.button;
    }

    // DivX 3 forces two passes; leaving it starts again from one pass.
    StartedForm f;
    f.form.SelectOption(Ctl::OptCodec, 3);
    EXPECT_TRUE(f.form.Enabled(Ctl::TxtSize));
    EXPECT_FALSE(f.form.Enabled(Ctl::TxtBrX));
    f.form.SelectOption(Ctl::OptCodec, 2);
    EXPECT_EQ(f.form.Value(Ctl::CmbNumPass), 0);
    EXPECT_TRUE(f.form.Enabled(Ctl::CmbNumPass));
    EXPECT_TRUE(f.form.Enabled(Ctl::TxtBrX));
}

TEST(FormRules, Divx4ThirdPass) {
    StartedForm f;
    f.form.SelectOption(Ctl::OptCodec, 1);
    EXPECT_FALSE(f.form.Enabled(Ctl::ChkDivx4Pass3));
    f.form.SelectListEntry(Ctl::CmbNumPass, 1);
    ASSERT_TRUE(f.form.Enabled(Ctl::ChkDivx4Pass3));
    f.form.SetCheck(Ctl::ChkDivx4Pass3, 1);
    EXPECT_TRUE(f.form.Enabled(Ctl::TxtDivx4Size));
    EXPECT_TRUE(f.form.Enabled(Ctl::TxtDivx4OverSize));
    f.form.SelectListEntry(Ctl::CmbNumPass, 0);
    EXPECT_EQ(f.form.Value(Ctl::ChkDivx4Pass3), 0);
    EXPECT_FALSE(f.form.Enabled(Ctl::ChkDivx4Pass3));
    EXPECT_FALSE(f.form.Enabled(Ctl::TxtDivx4Size));
    EXPECT_FALSE(f.form.Enabled(Ctl::TxtDivx4OverSize));

    // A third pass does not survive a change of codec either.
    f.form.SelectListEntry(Ctl::CmbNumPass, 1);
    f.form.SetCheck(Ctl::ChkDivx4Pass3, 1);
    f.form.SelectOption(Ctl::OptCodec, 3);
    EXPECT_EQ(f.form.Value(Ctl::ChkDivx4Pass3), 0);
    EXPECT_FALSE(f.form.Enabled(Ctl::TxtDivx4Size));
}

TEST(FormRules, XvidPassesAndQuantization) {
    const struct {
        int passEntry, quant;
        bool modulated, hinted, lum, size, bitrate;
    } cases[] = {
        {0, 0, false, false, false, false, true},
        {1, 0, true, true, true, true, false},
        {1, 1, false, true, true, true, false},
        {1, 3, false, true, true, true, false},
        {0, 1, false, false, false, false, true},
    };
    for (const auto& c : cases) {
        StartedForm f;
        f.form.SelectOption(Ctl::OptCodec, 2);
        f.form.SelectListEntry(Ctl::CmbQuant, c.quant);
        f.form.SelectListEntry(Ctl::CmbNumPass, c.passEntry);
        const std::string at = std::to_string(c.passEntry) + "/" + std::to_string(c.quant);
        EXPECT_EQ(f.form.Enabled(Ctl::ChkModulated2pass), c.modulated) << at;
        EXPECT_EQ(f.form.Enabled(Ctl::ChkHintME), c.hinted) << at;
        EXPECT_EQ(f.form.Enabled(Ctl::Chklum), c.lum) << at;
        EXPECT_EQ(f.form.Enabled(Ctl::TxtSize), c.size) << at;
        EXPECT_EQ(f.form.Enabled(Ctl::TxtBrX), c.bitrate) << at;
    }

    StartedForm f;
    f.form.SelectOption(Ctl::OptCodec, 2);
    f.form.SelectListEntry(Ctl::CmbNumPass, 1);
    f.form.SetCheck(Ctl::ChkHintME, 1);
    f.form.SetCheck(Ctl::ChkModulated2pass, 1);
    EXPECT_EQ(f.form.Value(Ctl::ChkHintME), 0);
    EXPECT_FALSE(f.form.Enabled(Ctl::ChkHintME));
    f.form.SelectListEntry(Ctl::CmbQuant, 1);  // MPEG
    EXPECT_EQ(f.form.Value(Ctl::ChkModulated2pass), 0);
    EXPECT_FALSE(f.form.Enabled(Ctl::ChkModulated2pass));
    EXPECT_TRUE(f.form.Enabled(Ctl::ChkHintME));
    f.form.SelectListEntry(Ctl::CmbQuant, 0);
    f.form.SetCheck(Ctl::ChkModulated2pass, 1);
    f.form.SetCheck(Ctl::Chklum, 1);
    f.form.SelectListEntry(Ctl::CmbNumPass, 0);
    EXPECT_EQ(f.form.Value(Ctl::ChkModulated2pass), 0);
    EXPECT_EQ(f.form.Value(Ctl::ChkHintME), 0);
    EXPECT_FALSE(f.form.Enabled(Ctl::ChkHintME));
    EXPECT_EQ(f.form.Value(Ctl::Chklum), 0);
}

TEST(FormRules, AlternativeCurveSystem) {
    StartedForm f;
    f.form.SetCheck(Ctl::ChkAltCurve, 1);
    for (Ctl c : {Ctl::CmbAgression, Ctl::TxtHighDist, Ctl::TxtLowDist, Ctl::ChkAutoQuality, Ctl::TxtStrenght,
                  Ctl::ChkAutoBonus})
        EXPECT_TRUE(f.form.Enabled(c)) << Control(c).name;
    EXPECT_FALSE(f.form.Enabled(Ctl::TxtMinQuality));
    EXPECT_FALSE(f.form.Enabled(Ctl::TxtBonusBias));

    f.form.SetCheck(Ctl::ChkAutoQuality, 0);
    f.form.SetCheck(Ctl::ChkAutoBonus, 0);
    EXPECT_TRUE(f.form.Enabled(Ctl::TxtMinQuality));
    EXPECT_FALSE(f.form.Enabled(Ctl::TxtStrenght));
    EXPECT_TRUE(f.form.Enabled(Ctl::TxtBonusBias));

    f.form.SetCheck(Ctl::ChkAltCurve, 0);
    EXPECT_EQ(f.form.Value(Ctl::ChkAutoQuality), 1);
    EXPECT_EQ(f.form.Value(Ctl::ChkAutoBonus), 1);
    for (Ctl c : {Ctl::CmbAgression, Ctl::TxtHighDist, Ctl::TxtLowDist, Ctl::ChkAutoQuality, Ctl::TxtStrenght,
                  Ctl::TxtMinQuality, Ctl::ChkAutoBonus, Ctl::TxtBonusBias})
        EXPECT_FALSE(f.form.Enabled(c)) << Control(c).name;

    f.form.SetCheck(Ctl::ChkAltCurve, 1);
    EXPECT_EQ(f.form.Value(Ctl::ChkAutoQuality), 1);
    EXPECT_TRUE(f.form.Enabled(Ctl::TxtStrenght));
    EXPECT_FALSE(f.form.Enabled(Ctl::TxtMinQuality));
}

TEST(FormRules, Divx3FeaturesLeaveNeutralValues) {
    const struct {
        Ctl check;
        std::vector<std::pair<Ctl, const char*>> fields;  // field and its neutral value
    } cases[] = {
        {Ctl::ChkError, {{Ctl::TxtAntiShit, "0"}, {Ctl::TxtMinQual3, "0"}, {Ctl::TxtMotionMod, "0"}}},
        {Ctl::ChkLuminance3, {{Ctl::TxtThreshold, "10"}, {Ctl::TxtGain, "30"}}},
        {Ctl::ChkCurveMotion, {{Ctl::TxtBasedMotion, "0"}}},
    };
    for (const auto& c : cases) {
        StartedForm f;
        f.form.SetCheck(c.check, 1);
        for (const auto& [field, neutral] : c.fields) {
            EXPECT_TRUE(f.form.Enabled(field)) << Control(field).name;
            f.form.SetText(field, "77");
        }
        f.form.SetCheck(c.check, 0);
        for (const auto& [field, neutral] : c.fields) {
            EXPECT_FALSE(f.form.Enabled(field)) << Control(field).name;
            EXPECT_EQ(f.form.Text(field), neutral) << Control(field).name;
        }
        f.form.SetCheck(c.check, 1);
        for (const auto& [field, neutral] : c.fields) EXPECT_EQ(f.form.Text(field), neutral);
    }

    StartedForm f;
    f.form.SetCheck(Ctl::ChkBitsReservoir, 1);
    f.form.SetCheck(Ctl::ChkCurveMotion, 1);
    EXPECT_EQ(f.form.Value(Ctl::ChkBitsReservoir), 0);

    f.form.SelectOption(Ctl::OptCurveComp, 1);
    EXPECT_FALSE(f.form.Enabled(Ctl::TxtSymetric));
    EXPECT_TRUE(f.form.Enabled(Ctl::TxtAsymetricLow));
    EXPECT_TRUE(f.form.Enabled(Ctl::TxtAsymetricHigh));
    f.form.SetText(Ctl::TxtAsymetricLow, "40");
    f.form.SetText(Ctl::TxtAsymetricHigh, "60");
    f.form.SelectOption(Ctl::OptCurveComp, 0);
    EXPECT_EQ(f.form.Text(Ctl::TxtAsymetricLow), "25");
    EXPECT_EQ(f.form.Text(Ctl::TxtAsymetricHigh), "25");
    f.form.SetText(Ctl::TxtSymetric, "33");
    f.form.SelectOption(Ctl::OptCurveComp, 1);
    EXPECT_EQ(f.form.Text(Ctl::TxtSymetric), "25");
}

TEST(FormRules, AudioFormats) {
    const struct {
        int button;
        bool modeEnabled;
        int bitrate;
        bool bitrateEnabled;
        int resample;
        bool resampleEnabled;
    } cases[] = {
        {0, false, 0, false, 0, true},
        {1, true, 5, true, 0, true},
        {2, false, 1, false, 0, true},
        {3, false, 0, false, 1, false},
    };
    const struct {
        Ctl format, mode, bitrate, resample;
    } streams[] = {
        {Ctl::OptAudioFormat1, Ctl::CmbMP3ModeStream1, Ctl::CmbBitrate1, Ctl::Chk44Stream1},
        {Ctl::OptAudioFormat2, Ctl::CmbMP3ModeStream2, Ctl::CmbBitrate2, Ctl::Chk44Stream2},
    };
    for (const auto& s : streams)
        for (const auto& c : cases) {
            StartedForm f;
            OpenStream2(f.form);
            f.form.SelectListEntry(s.mode, 2);
            f.form.SelectListEntry(s.bitrate, 0);
            f.form.SetCheck(s.resample, 1);
            f.form.SelectOption(s.format, c.button == 1 ? 0 : c.button);
            f.form.SelectOption(s.format, c.button);
            const std::string at = std::string(Control(s.format).name) + " " + std::to_string(c.button);
            EXPECT_EQ(f.form.Enabled(s.mode), c.modeEnabled) << at;
            EXPECT_EQ(f.form.Value(s.mode), c.button == 1 ? 0 : 2) << at;
            EXPECT_EQ(f.form.Value(s.bitrate), c.bitrate) << at;
            EXPECT_EQ(f.form.Enabled(s.bitrate), c.bitrateEnabled) << at;
            EXPECT_EQ(f.form.Value(s.resample), c.resample) << at;
            EXPECT_EQ(f.form.Enabled(s.resample), c.resampleEnabled) << at;
        }
}

TEST(FormRules, SecondStream) {
    StartedForm f;
    OpenStream2(f.form);
    for (Ctl c : {Ctl::TxtStream2, Ctl::CmbMP3ModeStream2, Ctl::CmbBitrate2, Ctl::TxtDelay2, Ctl::Chk44Stream2,
                  Ctl::ChkNormaliseStream2, Ctl::SldAmpliStream2})
        EXPECT_TRUE(f.form.Enabled(c)) << Control(c).name;
    EXPECT_TRUE(f.form.CommandEnabled(Command::CmdBrowseStream2));
    EXPECT_EQ(f.form.BackColourOf(Ctl::TxtStream2), BackColour::Window);
    for (int b = 0; b < 3; ++b) EXPECT_TRUE(f.form.ButtonEnabled(Ctl::OptAudioFormat2, b)) << b;
    EXPECT_FALSE(f.form.ButtonEnabled(Ctl::OptAudioFormat2, 3));

    f.form.BrowseStream2("D:\\a\\two.ac3");
    f.form.SelectOption(Ctl::OptAudioFormat2, 3);
    f.form.SetText(Ctl::TxtDelay2, "120");
    f.form.SetCheck(Ctl::ChkNormaliseStream2, 1);
    f.form.SetSlider(Ctl::SldAmpliStream2, 4);
    f.form.SetCheck(Ctl::ChkStream2, 0);

    EXPECT_EQ(f.form.Value(Ctl::OptAudioFormat2), 1);
    EXPECT_EQ(f.form.Value(Ctl::CmbMP3ModeStream2), 0);
    EXPECT_EQ(f.form.Value(Ctl::CmbBitrate2), 5);
    EXPECT_EQ(f.form.Text(Ctl::TxtDelay2), "0");
    EXPECT_EQ(f.form.Text(Ctl::TxtStream2), "");
    EXPECT_EQ(f.form.Value(Ctl::Chk44Stream2), 0);
    EXPECT_EQ(f.form.Value(Ctl::ChkNormaliseStream2), 0);
    EXPECT_EQ(f.form.Value(Ctl::SldAmpliStream2), 2);
    EXPECT_EQ(f.form.LabelText(Label::LbAmpliStream2), "2");
    for (Ctl c : {Ctl::TxtStream2, Ctl::CmbMP3ModeStream2, Ctl::CmbBitrate2, Ctl::TxtDelay2, Ctl::Chk44Stream2,
                  Ctl::ChkNormaliseStream2, Ctl::SldAmpliStream2})
        EXPECT_FALSE(f.form.Enabled(c)) << Control(c).name;
    for (int b = 0; b < 4; ++b) EXPECT_FALSE(f.form.ButtonEnabled(Ctl::OptAudioFormat2, b)) << b;
    EXPECT_FALSE(f.form.CommandEnabled(Command::CmdBrowseStream2));
    EXPECT_EQ(f.form.BackColourOf(Ctl::TxtStream2), BackColour::Light3D);

    // With the DivX audio codec found, its format is offered for stream 2 too.
    f.state.DivxAudioCodecFound = true;
    f.form.SetCheck(Ctl::ChkStream2, 1);
    EXPECT_TRUE(f.form.ButtonEnabled(Ctl::OptAudioFormat2, 3));
}

TEST(FormRules, SliderLabels) {
    const struct {
        Ctl slider;
        Label label;
        int value;
        const char* text;
    } cases[] = {
        {Ctl::SldPE, Label::LbPE, 0, "None"},           {Ctl::SldPE, Label::LbPE, 2, "Normal"},
        {Ctl::SldPE, Label::LbPE, 3, "Strong"},         {Ctl::SldPreProc, Label::lbPreProc, 1, "Light"},
        {Ctl::SldPreProc, Label::lbPreProc, 4, "Extreme"}, {Ctl::SldSwitchFM, Label::LbFM, 0, "0"},
        {Ctl::SldSwitchLM, Label::LbLM, 125, "125"},    {Ctl::SldAmpliStream1, Label::LbAmpliStream1, 4, "4"},
        {Ctl::SldAmpliStream1, Label::LbAmpliStream1, 0, "0"},
    };
    for (const auto& c : cases) {
        StartedForm f;
        ASSERT_TRUE(f.form.SetSlider(c.slider, c.value));
        EXPECT_EQ(f.form.LabelText(c.label), c.text) << Control(c.slider).name << c.value;
    }
    StartedForm f;
    EXPECT_FALSE(f.form.SetSlider(Ctl::SldPE, 4));
    EXPECT_FALSE(f.form.SetSlider(Ctl::SldSwitchFM, -1));
    EXPECT_FALSE(f.form.SetSlider(Ctl::TxtBr4, 1));
    EXPECT_EQ(f.form.LabelText(Label::LbPE), "Light");
}
