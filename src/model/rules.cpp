// The rules that keep the main window's controls consistent. Each belongs to
// one control and runs when that control takes a new value; the effects are
// applied in the order written, and a control that a rule changes runs its
// own rule at once.
#include "model/form_model.h"

namespace mb {

namespace {

const char* const kLevelNames[] = {"None", "Light", "Normal", "Strong", "Extreme"};

struct StreamControls {
    Ctl check44, mp3Mode, bitrate, path, delay, normalise, amplification, format;
};

constexpr StreamControls kStreams[2] = {
    {Ctl::Chk44Stream1, Ctl::CmbMP3ModeStream1, Ctl::CmbBitrate1, Ctl::TxtStream1, Ctl::TxtDelay1,
     Ctl::ChkNormaliseStream1, Ctl::SldAmpliStream1, Ctl::OptAudioFormat1},
    {Ctl::Chk44Stream2, Ctl::CmbMP3ModeStream2, Ctl::CmbBitrate2, Ctl::TxtStream2, Ctl::TxtDelay2,
     Ctl::ChkNormaliseStream2, Ctl::SldAmpliStream2, Ctl::OptAudioFormat2},
};

}  // namespace

std::string SliderLabelText(Ctl slider, int value) {
    switch (slider) {
        case Ctl::SldPE:
        case Ctl::SldPreProc:
            if (value >= 0 && value < static_cast<int>(std::size(kLevelNames))) return kLevelNames[value];
            return std::to_string(value);
        default: return std::to_string(value);
    }
}

bool FormModel::HasRule(Ctl c) {
    switch (c) {
#define MB_RULE(control) case Ctl::control:
#include "model/rules.def"
#undef MB_RULE
            return true;
        default: return false;
    }
}

void FormModel::RunRule(Ctl c) {
    if (!HasRule(c)) return;
    Notify([c](FormObserver& o) { o.OnRuleStarted(c); });
    switch (c) {
#define MB_RULE(control) \
    case Ctl::control: Rule##control(); break;
#include "model/rules.def"
#undef MB_RULE
        default: break;
    }
    Notify([c](FormObserver& o) { o.OnRuleFinished(c); });
}

// Shows the selected codec's panel. Every codec but DivX 3 starts again from
// one pass; DivX 3 always runs two passes through Nandub.
void FormModel::RuleOptCodec() {
    const int button = settings_.OptCodec;
    const bool divx3 = button == 3;
    switch (button) {
        case 0:
            SetPanelVisible(Panel::FrmDivx5, true);
            SetPanelVisible(Panel::FrmDivx4, false);
            SetPanelVisible(Panel::SSTabDivx3Panel, false);
            SetPanelVisible(Panel::SSTabXividPanel, false);
            break;
        case 1:
            SetPanelVisible(Panel::FrmDivx5, false);
            SetPanelVisible(Panel::FrmDivx4, true);
            SetPanelVisible(Panel::SSTabDivx3Panel, false);
            SetPanelVisible(Panel::SSTabXividPanel, false);
            break;
        case 2:
            SetPanelVisible(Panel::FrmDivx5, false);
            SetPanelVisible(Panel::FrmDivx4, false);
            SetPanelVisible(Panel::SSTabDivx3Panel, false);
            SetPanelVisible(Panel::SSTabXividPanel, true);
            break;
        case 3:
            SetPanelVisible(Panel::FrmDivx5, false);
            SetPanelVisible(Panel::FrmDivx4, false);
            SetPanelVisible(Panel::SSTabXividPanel, false);
            SetPanelVisible(Panel::SSTabDivx3Panel, true);
            break;
        default: return;
    }
    if (button == 1) {
        if (ItemNumber(settings_, Ctl::CmbNumPass) == 2) SetEnabled(Ctl::ChkDivx4Pass3, true);
    } else {
        SetEnabled(Ctl::ChkDivx4Pass3, false);
        SetCheck(Ctl::ChkDivx4Pass3, 0);
    }
    SelectTab(TabStrip::SSTabXividPanel, 0);
    SelectTab(TabStrip::SSTabDivx3Panel, 0);
    SelectListEntry(Ctl::CmbNumPass, divx3 ? 1 : 0);
    SetEnabled(Ctl::CmbNumPass, !divx3);
}

// One pass: XviD is driven by its bitrate, and the two-pass options go.
// Two passes: XviD is driven by the desired size.
void FormModel::RuleCmbNumPass() {
    const int passes = ItemNumber(settings_, Ctl::CmbNumPass);
    if (passes == 1) {
        SetCheck(Ctl::ChkModulated2pass, 0);
        SetEnabled(Ctl::ChkModulated2pass, false);
        SetCheck(Ctl::Chklum, 0);
        SetCheck(Ctl::ChkHintME, 0);
        SetEnabled(Ctl::Chklum, false);
        SetEnabled(Ctl::ChkHintME, false);
        SetEnabled(Ctl::TxtSize, false);
        SetEnabled(Ctl::TxtBrX, true);
        SetEnabled(Ctl::ChkDivx4Pass3, false);
        SetCheck(Ctl::ChkDivx4Pass3, 0);
    } else if (passes == 2) {
        SetEnabled(Ctl::Chklum, true);
        SetEnabled(Ctl::ChkHintME, true);
        SetEnabled(Ctl::TxtSize, true);
        SetEnabled(Ctl::TxtBrX, false);
        if (settings_.OptCodec == 1) SetEnabled(Ctl::ChkDivx4Pass3, true);
        if (ItemNumber(settings_, Ctl::CmbQuant) == 0) SetEnabled(Ctl::ChkModulated2pass, true);
    }
}

// Modulated second pass exists only for H.263 quantization in two passes.
void FormModel::RuleCmbQuant() {
    if (ItemNumber(settings_, Ctl::CmbQuant) == 0 && ItemNumber(settings_, Ctl::CmbNumPass) == 2) {
        SetEnabled(Ctl::ChkModulated2pass, true);
    } else {
        SetEnabled(Ctl::ChkModulated2pass, false);
        SetCheck(Ctl::ChkModulated2pass, 0);
    }
}

// Modulated second pass and hinted motion estimation exclude each other.
void FormModel::RuleChkModulated2pass() {
    if (settings_.ChkModulated2pass == 1) {
        SetCheck(Ctl::ChkHintME, 0);
        SetEnabled(Ctl::ChkHintME, false);
    } else {
        SetEnabled(Ctl::ChkHintME, true);
    }
}

// Without the alternative curve system the curve group is inactive and both
// automatic options are forced on.
void FormModel::RuleChkAltCurve() {
    const bool on = settings_.ChkAltCurve == 1;
    SetEnabled(Ctl::CmbAgression, on);
    SetCheck(Ctl::ChkAutoQuality, 1);
    SetEnabled(Ctl::ChkAutoQuality, on);
    SetEnabled(Ctl::TxtHighDist, on);
    SetEnabled(Ctl::TxtLowDist, on);
    SetEnabled(Ctl::TxtStrenght, on);
    if (!on) SetEnabled(Ctl::TxtMinQuality, false);
    SetCheck(Ctl::ChkAutoBonus, 1);
    SetEnabled(Ctl::ChkAutoBonus, on);
    if (!on) SetEnabled(Ctl::TxtBonusBias, false);
}

void FormModel::RuleChkAutoQuality() {
    const bool automatic = settings_.ChkAutoQuality == 1;
    SetEnabled(Ctl::TxtMinQuality, !automatic);
    SetEnabled(Ctl::TxtStrenght, automatic);
}

void FormModel::RuleChkAutoBonus() { SetEnabled(Ctl::TxtBonusBias, settings_.ChkAutoBonus == 0); }

void FormModel::RuleChkDivx4Pass3() {
    const bool on = settings_.ChkDivx4Pass3 == 1;
    SetEnabled(Ctl::TxtDivx4Size, on);
    SetEnabled(Ctl::TxtDivx4OverSize, on);
}

// Clearing a DivX 3 feature leaves its fields at the neutral values that the
// Nandub job then receives.
void FormModel::RuleChkError() {
    const bool on = settings_.ChkError == 1;
    for (Ctl field : {Ctl::TxtAntiShit, Ctl::TxtMinQual3, Ctl::TxtMotionMod}) SetEnabled(field, on);
    if (!on)
        for (Ctl field : {Ctl::TxtAntiShit, Ctl::TxtMinQual3, Ctl::TxtMotionMod}) SetText(field, "0");
}

void FormModel::RuleChkLuminance3() {
    const bool on = settings_.ChkLuminance3 == 1;
    SetEnabled(Ctl::TxtThreshold, on);
    SetEnabled(Ctl::TxtGain, on);
    if (!on) {
        SetText(Ctl::TxtThreshold, "10");
        SetText(Ctl::TxtGain, "30");
    }
}

void FormModel::RuleChkCurveMotion() {
    if (settings_.ChkCurveMotion == 1) {
        SetEnabled(Ctl::TxtBasedMotion, true);
        SetCheck(Ctl::ChkBitsReservoir, 0);
    } else {
        SetEnabled(Ctl::TxtBasedMotion, false);
        SetText(Ctl::TxtBasedMotion, "0");
    }
}

void FormModel::RuleOptCurveComp() {
    const int button = settings_.OptCurveComp;
    if (button == 0) {
        SetEnabled(Ctl::TxtSymetric, true);
        SetEnabled(Ctl::TxtAsymetricLow, false);
        SetEnabled(Ctl::TxtAsymetricHigh, false);
        SetText(Ctl::TxtAsymetricLow, "25");
        SetText(Ctl::TxtAsymetricHigh, "25");
    } else if (button == 1) {
        SetEnabled(Ctl::TxtAsymetricLow, true);
        SetEnabled(Ctl::TxtAsymetricHigh, true);
        SetEnabled(Ctl::TxtSymetric, false);
        SetText(Ctl::TxtSymetric, "25");
    }
}

void FormModel::RuleOptAudioFormat1() { ApplyAudioFormat(0, settings_.OptAudioFormat1); }
void FormModel::RuleOptAudioFormat2() { ApplyAudioFormat(1, settings_.OptAudioFormat2); }

// Only MP3 has a rate mode and a bitrate; the DivX audio codec works at
// 44 100 Hz only.
void FormModel::ApplyAudioFormat(int stream, int button) {
    const StreamControls& s = kStreams[stream];
    switch (button) {
        case 0:
            SetEnabled(s.mp3Mode, false);
            SetCheck(s.check44, 0);
            SetEnabled(s.bitrate, false);
            SetEnabled(s.check44, true);
            break;
        case 1:
            SetEnabled(s.mp3Mode, true);
            SelectListEntry(s.mp3Mode, 0);
            SetEnabled(s.bitrate, true);
            SelectListEntry(s.bitrate, 5);
            SetCheck(s.check44, 0);
            SetEnabled(s.check44, true);
            break;
        case 2:
            SetEnabled(s.mp3Mode, false);
            SelectListEntry(s.bitrate, 1);
            SetCheck(s.check44, 0);
            SetEnabled(s.bitrate, false);
            SetEnabled(s.check44, true);
            break;
        case 3:
            SetEnabled(s.mp3Mode, false);
            SetCheck(s.check44, 1);
            SetEnabled(s.check44, false);
            SetEnabled(s.bitrate, false);
            break;
        default: break;
    }
}

// Stream 2 is either available in full or reset in full and locked.
void FormModel::RuleChkStream2() {
    const StreamControls& s = kStreams[1];
    const Ctl lockable[] = {s.path, s.mp3Mode, s.bitrate, s.delay, s.check44, s.normalise, s.amplification};
    if (settings_.ChkStream2 == 1) {
        for (Ctl c : lockable) {
            SetEnabled(c, true);
            if (c == s.path) SetCommandEnabled(Command::CmdBrowseStream2, true);
        }
        SetBackColour(s.path, BackColour::Window);
        for (int button = 0; button < 3; ++button) SetButtonEnabled(s.format, button, true);
        if (state_.DivxAudioCodecFound) SetButtonEnabled(s.format, 3, true);
        return;
    }
    SelectOption(s.format, 1);
    for (Ctl c : lockable) {
        SetEnabled(c, false);
        if (c == s.path) SetCommandEnabled(Command::CmdBrowseStream2, false);
    }
    SetBackColour(s.path, BackColour::Light3D);
    for (int button = 0; button < 4; ++button) SetButtonEnabled(s.format, button, false);
    SetText(s.path, "");
    SelectListEntry(s.mp3Mode, 0);
    SelectListEntry(s.bitrate, 5);
    SetText(s.delay, "0");
    SetCheck(s.check44, 0);
    SetCheck(s.normalise, 0);
    SetSlider(s.amplification, 2);
}

// A slider's value label shows its position.
void FormModel::RuleSldPE() { ShowSliderValue(Ctl::SldPE, Label::LbPE); }
void FormModel::RuleSldPreProc() { ShowSliderValue(Ctl::SldPreProc, Label::lbPreProc); }
void FormModel::RuleSldSwitchFM() { ShowSliderValue(Ctl::SldSwitchFM, Label::LbFM); }
void FormModel::RuleSldSwitchLM() { ShowSliderValue(Ctl::SldSwitchLM, Label::LbLM); }
void FormModel::RuleSldAmpliStream1() { ShowSliderValue(Ctl::SldAmpliStream1, Label::LbAmpliStream1); }
void FormModel::RuleSldAmpliStream2() { ShowSliderValue(Ctl::SldAmpliStream2, Label::LbAmpliStream2); }

void FormModel::ShowSliderValue(Ctl slider, Label label) {
    SetLabel(label, SliderLabelText(slider, Value(slider)));
}

}  // namespace mb
