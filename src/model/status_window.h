// The status window of VirtualDub and Nandub as Marobex knows it: the
// controls Priority.exe sets, by their ids, and the entries of the
// priority list; and the controls of the engine's own status window that
// Marobex reads or presses. Marobex's priority commands, Priority.exe and the
// engine's status window (engine.rc includes this file too) share it.
#pragma once

#define IDC_SHOW_INPUT 1027   // "Show input video"
#define IDC_SHOW_OUTPUT 1028  // "Show output video"
#define IDC_PRIORITY 1080     // "Processing thread priority"

// The engine's only: the encoders' own windows have no such controls.
#define IDC_FRAMES 1102       // the frame count of the step
#define IDC_PERCENT 1103      // the step's percent done
#define IDC_ABORT 1109        // "Abort"

// The priority list's entries in their order, "|" between them: the
// Input tab's "Encoding Priority :" offers the same.
#define MB_PRIORITY_ENTRIES "Idle|Lowest|Even lower|Lower|Normal|Higher|Even higher|Highest"

#ifndef RC_INVOKED
#include <string_view>

namespace mb {

inline constexpr int kShowInputVideoId = IDC_SHOW_INPUT;
inline constexpr int kShowOutputVideoId = IDC_SHOW_OUTPUT;
inline constexpr int kProcessPriorityId = IDC_PRIORITY;
inline constexpr int kEngineFramesId = IDC_FRAMES;
inline constexpr int kEnginePercentId = IDC_PERCENT;
inline constexpr int kEngineAbortId = IDC_ABORT;

inline constexpr std::string_view kPriorityEntries = MB_PRIORITY_ENTRIES;
inline constexpr int kPriorityEntryCount = 8;
inline constexpr int kNormalPriorityEntry = 4;

// Entry i of the priority list ("Normal" for 4); empty past the end.
constexpr std::string_view PriorityEntry(int i) {
    std::string_view rest = kPriorityEntries;
    for (; i > 0 && rest.find('|') != std::string_view::npos; --i) rest.remove_prefix(rest.find('|') + 1);
    return i > 0 ? std::string_view() : rest.substr(0, rest.find('|'));
}
static_assert(PriorityEntry(kNormalPriorityEntry) == "Normal" && PriorityEntry(kPriorityEntryCount - 1) == "Highest" &&
              PriorityEntry(kPriorityEntryCount).empty());

}  // namespace mb
#endif
