// EncodeSettings: one field per user-settable control of the main window,
// named as the control, generated from controls.def together with the
// control list the form model, the window and saved jobs work from.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "model/status_window.h"

namespace mb {

enum class ControlKind { Text, Check, Option, List, Slider };
enum class Tab { Input, Video, Audio, Output };

inline constexpr unsigned MB_LAYOUT_DISABLED = 1;
inline constexpr unsigned MB_HIDDEN = 2;
inline constexpr unsigned MB_READONLY = 4;

#define MB_FIELD_Text std::string
#define MB_FIELD_Check int
#define MB_FIELD_Option int
#define MB_FIELD_List int
#define MB_FIELD_Slider int

// Text boxes hold the text as typed; check boxes 0/1; option groups and lists
// the selected index (-1: none); sliders a whole number.
struct EncodeSettings {
#define MB_CONTROL(kind, name, tab, frame, caption, choices, lo, hi, layout, def, flags) \
    MB_FIELD_##kind name = def;
#include "model/controls.def"
#undef MB_CONTROL
};

// One value per control, in the order of controls.def.
enum class Ctl : int {
#define MB_CONTROL(kind, name, tab, frame, caption, choices, lo, hi, layout, def, flags) name,
#include "model/controls.def"
#undef MB_CONTROL
    Count
};
inline constexpr int kControlCount = static_cast<int>(Ctl::Count);

struct ControlInfo {
    ControlKind kind;
    const char* name;
    Tab tab;
    const char* frame;
    const char* caption;
    const char* choices;     // "|"-separated; a text box's unit
    int lo, hi;              // slider range; list: item number of entry 0
    const char* layoutText;  // text controls
    int layoutValue;         // other controls
    const char* defaultText;
    int defaultValue;
    unsigned flags;
};

// The description of a control.
const ControlInfo& Control(Ctl c);
// The text of an option button or list entry of the control, from its
// choices; empty for an index it does not have.
std::string ChoiceText(Ctl c, int index);
// The control of a name, compared without regard to case; Ctl::Count if none.
Ctl FindControl(std::string_view name);

// Field access by control: TextField for Text controls, IntField for the
// others (nullptr when the kind does not match).
std::string* TextField(EncodeSettings& s, Ctl c);
const std::string* TextField(const EncodeSettings& s, Ctl c);
int* IntField(EncodeSettings& s, Ctl c);
const int* IntField(const EncodeSettings& s, Ctl c);

// The item number of a list's selected entry (-1 when none is selected).
// CmbNumPass numbers its entries from 1, every other list from 0.
int ItemNumber(const EncodeSettings& s, Ctl list);

}  // namespace mb
