// Where every window of the main window stands: one item per control,
// label, unit, value label, frame, list, button and tab strip, in
// layout pixels (1/96 inch) of the client area, which the window scales to
// the system's DPI.
//
// The list is in creation order, which is also the order of the Z axis (the
// first item on top) and the tab order: the controls of each page in
// reading order, then the Exit button, then the frames, and the tab strips
// and their page backgrounds last, beneath everything they carry.
#pragma once

#include <string>
#include <vector>

#include "model/form_model.h"

namespace mb {

enum class ItemKind {
    Label,       // the text before a control
    Unit,        // the unit after a text box
    ValueLabel,  // a slider's value (LbPE, ...)
    Edit,
    Check,
    Radio,
    Combo,
    Slider,
    Button,
    ListBox,
    Frame,     // a group box, its caption at the top
    Tab,       // a tab strip
    PageBody,  // the background of a tab strip's page
};

struct LayoutRect {
    int x = 0, y = 0, w = 0, h = 0;
};

// The tab, codec panel and inner tab an item belongs to; it is shown only
// while all three are the selected ones. -1: shown on every one.
struct ItemPlace {
    int tab = -1;    // main tab 0..3
    int panel = -1;  // Panel
    int inner = -1;  // tab of the panel's own tab strip
};

struct LayoutItem {
    ItemKind kind;
    int id;
    std::string text;
    LayoutRect rect;
    ItemPlace place;
    Ctl control = Ctl::Count;  // the settings control it shows or labels
    int button = 0;            // the option button it is
    Label label = Label::Count;  // the value label it is
};

// The client area, 10170 x 8265 twips.
inline constexpr int kClientWidthTwips = 10170;
inline constexpr int kClientHeightTwips = 8265;

// The height of a drop-down list's closed box; the window opens the list
// below it.
inline constexpr int kComboHeight = 21;

const std::vector<LayoutItem>& MainLayout();

// The item with this id (nullptr when none).
const LayoutItem* FindLayoutItem(int id);

}  // namespace mb
