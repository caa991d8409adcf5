// The main window without the window: every control's value, enabled and
// visible state, the option buttons' own states, the value labels, the
// background colour of the path boxes, the codec panels and the tab strips,
// together with the rules that keep them consistent.
//
// Setting a control to a new value runs that control's rule at once; a rule
// that sets another control runs that control's rule inside its own, before
// it goes on. Setting the value a control already has runs nothing. The Win32
// window mirrors the model through FormObserver and hands user actions back
// through the setters.
#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "model/encode_settings.h"
#include "model/program_state.h"
#include "model/codec_check.h"

namespace mb {

// The labels that show a slider's value.
enum class Label { LbPE, lbPreProc, LbFM, LbLM, LbAmpliStream1, LbAmpliStream2, Count };
// The codec panels of the Video tab; only the selected codec's is shown.
enum class Panel { FrmDivx5, FrmDivx4, SSTabDivx3Panel, SSTabXividPanel, Count };
// The tab strips whose selected tab the model keeps.
enum class TabStrip { SSTabMain, SSTabDivx3Panel, SSTabXividPanel, Count };
// Buttons that are not settings but whose enabled state the rules change.
enum class Command { cmdBrowseTgt, CmdBrowseStream2, Count };
// Background of a path box: the system's window colour, or its light 3-D
// colour for a box that is locked.
enum class BackColour { Window, Light3D };

inline constexpr int kLabelCount = static_cast<int>(Label::Count);
inline constexpr int kPanelCount = static_cast<int>(Panel::Count);
inline constexpr int kTabStripCount = static_cast<int>(TabStrip::Count);
inline constexpr int kCommandCount = static_cast<int>(Command::Count);
// The largest option group has four buttons.
inline constexpr int kMaxOptionButtons = 4;

// Receives every change of the model as it happens, so that a view can
// refresh exactly the control that changed. The model has already changed
// when a method is called; read the new state back from the model. The
// methods are called in the middle of rules: a view must only mirror, never
// set the model from inside them.
class FormObserver {
public:
    virtual ~FormObserver() = default;
    // A text, check box, selected option button, selected list entry or
    // slider position.
    virtual void OnValueChanged(Ctl) {}
    virtual void OnEnabledChanged(Ctl) {}
    // The enabled state of one button of an option group. (Which controls
    // and buttons are visible is fixed by the layout.)
    virtual void OnButtonChanged(Ctl /*group*/, int /*button*/) {}
    virtual void OnBackColourChanged(Ctl) {}
    virtual void OnLabelChanged(Label) {}
    virtual void OnPanelChanged(Panel) {}
    virtual void OnTabChanged(TabStrip) {}
    virtual void OnCommandChanged(Command) {}
    // A control's rule begins and ends; rules that it sets off begin and end
    // in between.
    virtual void OnRuleStarted(Ctl) {}
    virtual void OnRuleFinished(Ctl) {}
};

// Steps of the start-up that reach outside the window.
struct StartupSteps {
    std::function<void()> prepareToolRegistry;  // codec keys deleted, VirtualDub values
    std::function<void()> checkInstalledCodecs; // fills the codec list, then ApplyCodecCheck
};

class FormModel {
public:
    // The model in the window's layout state: texts at their defaults, the
    // five check boxes that the layout sets (ChkStream2, ChkError,
    // ChkLuminance3, ChkCurveMotion, ChkAltCurve) set, no option button
    // selected except OptPayback's first, no list entry selected, sliders at
    // 0, labels showing their own names. The browse buttons keep their paths
    // in `state`, which must outlive the model.
    explicit FormModel(ProgramState& state);
    FormModel(const FormModel&) = delete;
    FormModel& operator=(const FormModel&) = delete;

    void AddObserver(FormObserver* observer);
    void RemoveObserver(FormObserver* observer);

    // Gives the controls their start values, in the window's order, with
    // the rules they set off; the two outside steps are called at their
    // place (either may be empty). Afterwards every field holds its default.
    void RunStartup(const StartupSteps& steps);

    // ---- Reading ------------------------------------------------------
    const EncodeSettings& Settings() const { return settings_; }
    // The text of a text box; empty for other kinds.
    const std::string& Text(Ctl c) const;
    // The value of a check box, option group (selected button, -1 none),
    // list (selected index, -1 none) or slider; 0 for a text box.
    int Value(Ctl c) const;
    bool Enabled(Ctl c) const { return enabled_[Index(c)]; }
    bool Visible(Ctl c) const { return visible_[Index(c)]; }
    // The buttons of an option group, from its list of choices.
    static int ButtonCount(Ctl group);
    bool ButtonEnabled(Ctl group, int button) const;
    bool ButtonVisible(Ctl group, int button) const;
    BackColour BackColourOf(Ctl c) const { return colour_[Index(c)]; }
    const std::string& LabelText(Label l) const { return labels_[static_cast<std::size_t>(l)]; }
    bool PanelVisible(Panel p) const { return panels_[static_cast<std::size_t>(p)]; }
    int SelectedTab(TabStrip t) const { return tabs_[static_cast<std::size_t>(t)]; }
    bool CommandEnabled(Command b) const { return commands_[static_cast<std::size_t>(b)]; }

    // ---- Changing values ----------------------------------------------
    // Each returns false and changes nothing when the control is of another
    // kind or the value is out of range. A new value runs the control's
    // rule; the value it already has runs nothing. They do not look at the
    // enabled state: rules set disabled controls too (SetFromText checks it).
    bool SetText(Ctl c, std::string_view text);
    bool SetCheck(Ctl c, int value);                // 0 or 1
    bool SelectOption(Ctl group, int button);       // -1 deselects, no rule
    bool SelectListEntry(Ctl list, int index);      // -1 selects none, no rule
    bool SetSlider(Ctl slider, int value);          // within the slider's range

    void SetEnabled(Ctl c, bool enabled);
    void SetButtonEnabled(Ctl group, int button, bool enabled);
    void SetCommandEnabled(Command b, bool enabled);
    void SetBackColour(Ctl c, BackColour colour);
    void SelectTab(TabStrip t, int tab);            // ignored when out of range

    // Applies a value given as text (a saved job's value): "0"/"1" for a
    // check box, a button or entry index in range for an option group or a
    // list, a whole number in range for a slider, any text for a text box.
    // A path box goes through its browse button's handling, so that the
    // program-wide path follows the box. Refuses, with a one-line reason in
    // `warning`, a value of the wrong kind or out of range, and any value for
    // a control (or option button) that is disabled or hidden.
    bool SetFromText(Ctl c, std::string_view value, std::string& warning);

    // ---- Browse buttons, fed the path the dialog returned ("" = cancelled)
    void BrowseSource(std::string_view path);       // cmdBrowseSrc
    void BrowseTarget(std::string_view path);       // cmdBrowseTgt
    void BrowseTempFolder(std::string_view path);   // CmdBrowseTempRep
    void BrowseStream1(std::string_view path);      // CmdBrowseStream1
    void BrowseStream2(std::string_view path);      // CmdBrowseStream2

    // What a codec check changes on the window: the codec choices whose
    // codec is missing are disabled and deselected, "DivX ;-) Audio 64 Kb/s"
    // of stream 1 is disabled without the DivX audio codec, the tools the
    // standard DivX 5 lacks are cleared and disabled, and the first codec
    // still available among DivX 5, DivX 4 and XviD is selected. It only
    // ever disables. A found audio codec is also recorded in the program
    // state, where the stream-2 rule reads it.
    void ApplyCodecCheck(const CodecCheckResult& result, bool divxAudioCodecFound);

private:
    struct ButtonState {
        bool enabled = true;
        bool visible = true;
    };

    static std::size_t Index(Ctl c) { return static_cast<std::size_t>(c); }

    template <typename F>
    void Notify(F&& f) {
        // Copied: an observer may remove itself while being told.
        const std::vector<FormObserver*> observers = observers_;
        for (FormObserver* o : observers) f(*o);
    }

    // Stores a non-text control's value; a new one is told to the observers
    // and runs the control's rule.
    void StoreValue(Ctl c, int value);
    void SetLabel(Label l, std::string text);
    void SetPanelVisible(Panel p, bool visible);
    void DeselectButton(Ctl group, int button);

    // The rules (rules.cpp): one for each control of rules.def.
    void RunRule(Ctl c);
    static bool HasRule(Ctl c);
#define MB_RULE(control) void Rule##control();
#include "model/rules.def"
#undef MB_RULE
    // What the rules of the two audio streams and of the sliders share.
    void ApplyAudioFormat(int stream, int button);
    void ShowSliderValue(Ctl slider, Label label);

    // Enables the stream's "AC3" button for an ".ac3" file only.
    void AllowAc3For(Ctl formatGroup, std::string_view path);

    ProgramState& state_;
    EncodeSettings settings_;
    std::array<bool, kControlCount> enabled_{};
    std::array<bool, kControlCount> visible_{};
    std::array<BackColour, kControlCount> colour_{};
    std::array<std::array<ButtonState, kMaxOptionButtons>, kControlCount> buttons_{};
    std::array<std::string, kLabelCount> labels_;
    std::array<bool, kPanelCount> panels_{};
    std::array<int, kTabStripCount> tabs_{};
    std::array<bool, kCommandCount> commands_{};
    std::vector<FormObserver*> observers_;
};

// The text a value label shows for a slider position ("Light", "300", "2").
std::string SliderLabelText(Ctl slider, int value);

}  // namespace mb
