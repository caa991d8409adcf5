#include "model/form_model.h"

#include <algorithm>
#include <charconv>

namespace mb {

namespace {

int ChoiceCount(Ctl c) {
    const ControlInfo& info = Control(c);
    if (info.kind != ControlKind::Option && info.kind != ControlKind::List) return 0;
    const std::string_view choices = info.choices;
    if (choices.empty()) return 0;
    return static_cast<int>(std::count(choices.begin(), choices.end(), '|')) + 1;
}

// A whole number written in decimal digits only, as saved jobs hold them.
bool ParseWhole(std::string_view text, int& value) {
    if (text.empty()) return false;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return ec == std::errc() && ptr == end && text.front() != '-';
}

}  // namespace

FormModel::FormModel(ProgramState& state) : state_(state) {
    for (int i = 0; i < kControlCount; ++i) {
        const Ctl c = static_cast<Ctl>(i);
        const ControlInfo& info = Control(c);
        if (std::string* text = TextField(settings_, c))
            *text = info.layoutText;
        else
            *IntField(settings_, c) = info.layoutValue;
        enabled_[Index(c)] = (info.flags & MB_LAYOUT_DISABLED) == 0;
        visible_[Index(c)] = (info.flags & MB_HIDDEN) == 0;
        colour_[Index(c)] = BackColour::Window;
    }
    // "AC3" waits for an .ac3 file; "OGG" is never offered.
    for (Ctl group : {Ctl::OptAudioFormat1, Ctl::OptAudioFormat2}) {
        buttons_[Index(group)][0].enabled = false;
        buttons_[Index(group)][2].visible = false;
    }
    labels_ = {"LbPE", "lbPreProc", "FM", "LM", "LbAmpliStream1", "LbAmpliStream2"};
    panels_ = {false, false, false, false};
    tabs_ = {0, 0, 0};
    commands_ = {true, true};
}

void FormModel::AddObserver(FormObserver* observer) {
    if (observer && std::find(observers_.begin(), observers_.end(), observer) == observers_.end())
        observers_.push_back(observer);
}

void FormModel::RemoveObserver(FormObserver* observer) {
    observers_.erase(std::remove(observers_.begin(), observers_.end(), observer), observers_.end());
}

// ---- Reading ------------------------------------------------------------------

const std::string& FormModel::Text(Ctl c) const {
    static const std::string kEmpty;
    const std::string* text = TextField(settings_, c);
    return text ? *text : kEmpty;
}

int FormModel::Value(Ctl c) const {
    const int* value = IntField(settings_, c);
    return value ? *value : 0;
}

int FormModel::ButtonCount(Ctl group) {
    return Control(group).kind == ControlKind::Option ? ChoiceCount(group) : 0;
}

bool FormModel::ButtonEnabled(Ctl group, int button) const {
    if (button < 0 || button >= ButtonCount(group)) return false;
    return buttons_[Index(group)][static_cast<std::size_t>(button)].enabled;
}

bool FormModel::ButtonVisible(Ctl group, int button) const {
    if (button < 0 || button >= ButtonCount(group)) return false;
    return buttons_[Index(group)][static_cast<std::size_t>(button)].visible;
}

// ---- Values -------------------------------------------------------------------

void FormModel::StoreValue(Ctl c, int value) {
    int& field = *IntField(settings_, c);
    if (field == value) return;
    field = value;
    Notify([c](FormObserver& o) { o.OnValueChanged(c); });
    // Deselecting runs nothing: a rule belongs to the button that becomes
    // selected.
    if (value < 0 && (Control(c).kind == ControlKind::Option || Control(c).kind == ControlKind::List))
        return;
    RunRule(c);
}

bool FormModel::SetText(Ctl c, std::string_view text) {
    std::string* field = TextField(settings_, c);
    if (!field) return false;
    if (*field == text) return true;
    field->assign(text);
    Notify([c](FormObserver& o) { o.OnValueChanged(c); });
    return true;
}

bool FormModel::SetCheck(Ctl c, int value) {
    if (Control(c).kind != ControlKind::Check || (value != 0 && value != 1)) return false;
    StoreValue(c, value);
    return true;
}

bool FormModel::SelectOption(Ctl group, int button) {
    if (Control(group).kind != ControlKind::Option || button < -1 || button >= ButtonCount(group))
        return false;
    StoreValue(group, button);
    return true;
}

bool FormModel::SelectListEntry(Ctl list, int index) {
    if (Control(list).kind != ControlKind::List || index < -1 || index >= ChoiceCount(list)) return false;
    StoreValue(list, index);
    return true;
}

bool FormModel::SetSlider(Ctl slider, int value) {
    const ControlInfo& info = Control(slider);
    if (info.kind != ControlKind::Slider || value < info.lo || value > info.hi) return false;
    StoreValue(slider, value);
    return true;
}

void FormModel::DeselectButton(Ctl group, int button) {
    if (Value(group) == button) StoreValue(group, -1);
}

// ---- States ---------------------------------------------------------------------

void FormModel::SetEnabled(Ctl c, bool enabled) {
    if (enabled_[Index(c)] == enabled) return;
    enabled_[Index(c)] = enabled;
    Notify([c](FormObserver& o) { o.OnEnabledChanged(c); });
}

void FormModel::SetButtonEnabled(Ctl group, int button, bool enabled) {
    if (button < 0 || button >= ButtonCount(group)) return;
    bool& state = buttons_[Index(group)][static_cast<std::size_t>(button)].enabled;
    if (state == enabled) return;
    state = enabled;
    Notify([group, button](FormObserver& o) { o.OnButtonChanged(group, button); });
}

void FormModel::SetCommandEnabled(Command b, bool enabled) {
    bool& state = commands_[static_cast<std::size_t>(b)];
    if (state == enabled) return;
    state = enabled;
    Notify([b](FormObserver& o) { o.OnCommandChanged(b); });
}

void FormModel::SetBackColour(Ctl c, BackColour colour) {
    if (colour_[Index(c)] == colour) return;
    colour_[Index(c)] = colour;
    Notify([c](FormObserver& o) { o.OnBackColourChanged(c); });
}

void FormModel::SelectTab(TabStrip t, int tab) {
    // The main strip: the four tabs of the settings and the program's Queue tab.
    const int count = t == TabStrip::SSTabMain ? 5 : 2;
    if (tab < 0 || tab >= count) return;
    int& selected = tabs_[static_cast<std::size_t>(t)];
    if (selected == tab) return;
    selected = tab;
    Notify([t](FormObserver& o) { o.OnTabChanged(t); });
}

void FormModel::SetLabel(Label l, std::string text) {
    std::string& label = labels_[static_cast<std::size_t>(l)];
    if (label == text) return;
    label = std::move(text);
    Notify([l](FormObserver& o) { o.OnLabelChanged(l); });
}

void FormModel::SetPanelVisible(Panel p, bool visible) {
    bool& state = panels_[static_cast<std::size_t>(p)];
    if (state == visible) return;
    state = visible;
    Notify([p](FormObserver& o) { o.OnPanelChanged(p); });
}

// ---- Saved values ---------------------------------------------------------------

bool FormModel::SetFromText(Ctl c, std::string_view value, std::string& warning) {
    warning.clear();
    const ControlInfo& info = Control(c);
    const std::string name = info.name;
    std::string quoted(1, '"');
    quoted.append(value).push_back('"');
    if (!Visible(c) || !Enabled(c)) {
        warning = name + ": not set to " + quoted + ", the control is " + (Visible(c) ? "disabled" : "hidden");
        return false;
    }
    if (info.kind == ControlKind::Text) {
        if (info.flags & MB_READONLY) {
            switch (c) {
                case Ctl::txtSource: BrowseSource(value); return true;
                case Ctl::txtTarget: BrowseTarget(value); return true;
                case Ctl::TxtTempRep: BrowseTempFolder(value); return true;
                case Ctl::TxtStream1: BrowseStream1(value); return true;
                case Ctl::TxtStream2: BrowseStream2(value); return true;
                default: break;
            }
        }
        SetText(c, value);
        return true;
    }
    int number = 0;
    if (!ParseWhole(value, number)) {
        warning = name + ": " + quoted + " is not a whole number";
        return false;
    }
    switch (info.kind) {
        case ControlKind::Check:
            if (number > 1) {
                warning = name + ": " + quoted + " is neither 0 nor 1";
                return false;
            }
            SetCheck(c, number);
            return true;
        case ControlKind::Option:
            if (number >= ButtonCount(c)) {
                warning = name + ": there is no button " + quoted;
                return false;
            }
            if (!ButtonVisible(c, number) || !ButtonEnabled(c, number)) {
                warning = name + ": not set to " + quoted + ", that button is " +
                          (ButtonVisible(c, number) ? "disabled" : "hidden");
                return false;
            }
            SelectOption(c, number);
            return true;
        case ControlKind::List:
            if (number >= ChoiceCount(c)) {
                warning = name + ": there is no entry " + quoted;
                return false;
            }
            SelectListEntry(c, number);
            return true;
        case ControlKind::Slider:
            if (number < info.lo || number > info.hi) {
                warning = name + ": " + quoted + " is outside " + std::to_string(info.lo) + ".." +
                          std::to_string(info.hi);
                return false;
            }
            SetSlider(c, number);
            return true;
        case ControlKind::Text: break;
    }
    return false;
}

// ---- Start-up -------------------------------------------------------------------

void FormModel::RunStartup(const StartupSteps& steps) {
    SelectTab(TabStrip::SSTabMain, 0);
    SelectOption(Ctl::OptencodingMode, 0);

    SetCheck(Ctl::ChkStream2, 0);
    SetEnabled(Ctl::ChkStream2, false);

    SetSlider(Ctl::SldAmpliStream1, 2);
    SetLabel(Label::LbAmpliStream1, "2");
    SetSlider(Ctl::SldAmpliStream2, 2);
    SetLabel(Label::LbAmpliStream2, "2");

    SetSlider(Ctl::SldPE, 1);
    SetLabel(Label::LbPE, "Light");
    SetSlider(Ctl::SldPreProc, 0);
    SetLabel(Label::lbPreProc, "None");

    SelectListEntry(Ctl::CmbNumPass, 0);
    SelectListEntry(Ctl::CmbMotion, 5);
    SelectListEntry(Ctl::CmbQuant, 0);
    SelectListEntry(Ctl::CmbFourcc, 0);
    SelectListEntry(Ctl::CmbPriority, 5);
    SelectListEntry(Ctl::CmbAgression, 1);

    SelectOption(Ctl::OptAudioFormat1, 1);
    SelectOption(Ctl::OptAudioFormat2, 1);
    SelectOption(Ctl::OptCodec, 0);
    SelectOption(Ctl::OptCurveComp, 0);

    SetSlider(Ctl::SldSwitchFM, 300);
    SetSlider(Ctl::SldSwitchLM, 300);
    SetLabel(Label::LbFM, "300");
    SetLabel(Label::LbLM, "300");

    SetCheck(Ctl::ChkError, 0);
    SetCheck(Ctl::ChkLuminance3, 0);
    SetCheck(Ctl::ChkCurveMotion, 0);

    if (steps.prepareToolRegistry) steps.prepareToolRegistry();

    // The target stays locked until a source is chosen.
    SetEnabled(Ctl::txtTarget, false);
    SetBackColour(Ctl::txtTarget, BackColour::Light3D);
    SetCommandEnabled(Command::cmdBrowseTgt, false);
    SetButtonEnabled(Ctl::OptencodingMode, 0, false);
    SetButtonEnabled(Ctl::OptencodingMode, 1, false);

    SetCheck(Ctl::ChkAltCurve, 0);

    if (steps.checkInstalledCodecs) steps.checkInstalledCodecs();
}

// ---- Codec check ----------------------------------------------------------------

void FormModel::ApplyCodecCheck(const CodecCheckResult& result, bool divxAudioCodecFound) {
    const bool missing[4] = {
        !result.divx5 && !result.divx5Pro,
        !result.divx4,
        !result.xvid,
        // Offering DivX 3 without its codec would only give a Nandub job
        // that cannot encode, so it goes the way of the others.
        !result.divx3Low && !result.divx3Fast,
    };
    for (int button = 0; button < 4; ++button) {
        if (!missing[button]) continue;
        SetButtonEnabled(Ctl::OptCodec, button, false);
        DeselectButton(Ctl::OptCodec, button);
    }

    if (divxAudioCodecFound) state_.DivxAudioCodecFound = true;
    if (!divxAudioCodecFound) SetButtonEnabled(Ctl::OptAudioFormat1, 3, false);

    // The standard DivX 5 has neither these tools nor pre-processing.
    if (result.divx5) {
        for (Ctl tool : {Ctl::chkQPel, Ctl::chkGMC, Ctl::chkBFrame}) {
            SetCheck(tool, 0);
            SetEnabled(tool, false);
        }
        SetSlider(Ctl::SldPreProc, 0);
        SetEnabled(Ctl::SldPreProc, false);
    }

    for (int button = 0; button < 3; ++button) {
        if (ButtonEnabled(Ctl::OptCodec, button)) {
            SelectOption(Ctl::OptCodec, button);
            break;
        }
    }
}

}  // namespace mb
