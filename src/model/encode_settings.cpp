#include "model/encode_settings.h"

#include <array>

#include "model/text.h"

namespace mb {

namespace {

#define MB_TEXTVAL_Text(x) x
#define MB_TEXTVAL_Check(x) ""
#define MB_TEXTVAL_Option(x) ""
#define MB_TEXTVAL_List(x) ""
#define MB_TEXTVAL_Slider(x) ""
#define MB_INTVAL_Text(x) 0
#define MB_INTVAL_Check(x) x
#define MB_INTVAL_Option(x) x
#define MB_INTVAL_List(x) x
#define MB_INTVAL_Slider(x) x

const std::array<ControlInfo, kControlCount> kControls = {{
#define MB_CONTROL(kind, name, tab, frame, caption, choices, lo, hi, layout, def, flags)      \
    {ControlKind::kind, #name, Tab::tab, frame, caption, choices, lo, hi,                     \
     MB_TEXTVAL_##kind(layout), MB_INTVAL_##kind(layout), MB_TEXTVAL_##kind(def),             \
     MB_INTVAL_##kind(def), flags},
#include "model/controls.def"
#undef MB_CONTROL
}};

template <typename S, typename T>
T* TextFieldOf(S& s, Ctl c) {
    switch (c) {
#define MB_PTR_Text(name) return &s.name;
#define MB_PTR_Check(name) return nullptr;
#define MB_PTR_Option(name) return nullptr;
#define MB_PTR_List(name) return nullptr;
#define MB_PTR_Slider(name) return nullptr;
#define MB_CONTROL(kind, name, tab, frame, caption, choices, lo, hi, layout, def, flags) \
    case Ctl::name: MB_PTR_##kind(name)
#include "model/controls.def"
#undef MB_CONTROL
#undef MB_PTR_Text
#undef MB_PTR_Check
#undef MB_PTR_Option
#undef MB_PTR_List
#undef MB_PTR_Slider
        default: return nullptr;
    }
}

template <typename S, typename T>
T* IntFieldOf(S& s, Ctl c) {
    switch (c) {
#define MB_PTR_Text(name) return nullptr;
#define MB_PTR_Check(name) return &s.name;
#define MB_PTR_Option(name) return &s.name;
#define MB_PTR_List(name) return &s.name;
#define MB_PTR_Slider(name) return &s.name;
#define MB_CONTROL(kind, name, tab, frame, caption, choices, lo, hi, layout, def, flags) \
    case Ctl::name: MB_PTR_##kind(name)
#include "model/controls.def"
#undef MB_CONTROL
        default: return nullptr;
    }
}

}  // namespace

const ControlInfo& Control(Ctl c) { return kControls.at(static_cast<std::size_t>(c)); }

std::string ChoiceText(Ctl c, int index) {
    std::string_view all = Control(c).choices;
    for (int i = 0; index >= 0; ++i) {
        const auto bar = all.find('|');
        if (i == index) return std::string(all.substr(0, bar));
        if (bar == std::string_view::npos) break;
        all.remove_prefix(bar + 1);
    }
    return {};
}

Ctl FindControl(std::string_view name) {
    for (int i = 0; i < kControlCount; ++i)
        if (SameNoCase(kControls[static_cast<std::size_t>(i)].name, name)) return static_cast<Ctl>(i);
    return Ctl::Count;
}

std::string* TextField(EncodeSettings& s, Ctl c) { return TextFieldOf<EncodeSettings, std::string>(s, c); }
const std::string* TextField(const EncodeSettings& s, Ctl c) {
    return TextFieldOf<const EncodeSettings, const std::string>(s, c);
}
int* IntField(EncodeSettings& s, Ctl c) { return IntFieldOf<EncodeSettings, int>(s, c); }
const int* IntField(const EncodeSettings& s, Ctl c) { return IntFieldOf<const EncodeSettings, const int>(s, c); }

int ItemNumber(const EncodeSettings& s, Ctl list) {
    const int* index = IntField(s, list);
    if (!index || *index < 0 || Control(list).kind != ControlKind::List) return -1;
    return *index + Control(list).lo;
}

}  // namespace mb
