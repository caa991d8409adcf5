// The command language of Priority.exe, which sets the preview check boxes
// and the process priority on an encoder's status window:
//   "WI00:<title>"  the window whose title begins with <title>
//   "BT01:"         turn "Show input video" off  (IDC_SHOW_INPUT)
//   "BT02:"         turn "Show output video" off (IDC_SHOW_OUTPUT)
//   "CB00:<text>"   select <text> in the priority list (IDC_PRIORITY)
//   "QU00:"         end of the commands
// Tokens are separated by blanks; double quotes keep blanks inside a token.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "model/status_window.h"

namespace mb {

// How long Priority.exe waits for the window and its controls, and how
// often it looks.
inline constexpr unsigned kPriorityDefaultTimeoutMs = 60000;
inline constexpr unsigned kPriorityPollMs = 100;

// Exit codes of Priority.exe; nobody has to read them, tests do.
enum PriorityExit : int {
    kPriorityDone = 0,            // every command was carried out
    kPriorityNoWindow = 1,        // no window with the title appeared in time
    kPriorityControlMissing = 2,  // the window lacked a control a command needs
    kPriorityNothingToDo = 3,     // no window title was given
};

enum class PriorityAction { UncheckBox, SelectEntry };

struct StatusWindowCommand {
    PriorityAction action;
    int controlId;
    std::string text;  // the entry to select; empty for a check box

    bool operator==(const StatusWindowCommand&) const = default;
};

struct PriorityScript {
    std::string windowTitle;  // beginning of the title; empty when none was given
    std::vector<StatusWindowCommand> commands;  // in the order given

    bool operator==(const PriorityScript&) const = default;
};

// Splits a command line (without the program name) into tokens: blanks and
// tabs separate, a double quote starts or ends a quoted stretch and is
// itself dropped.
std::vector<std::string> SplitCommandLine(std::string_view commandLine);

// Reads the tokens. The first "WI00:" names the window; "BT01:", "BT02:"
// and "CB00:" become commands in their order; "QU00:" ends the list; any
// other token is ignored. Keywords are case-sensitive.
PriorityScript ParsePriorityCommands(const std::vector<std::string>& tokens);

// True when the title begins with the given beginning (case-sensitive). An
// empty beginning matches nothing, so no window is ever taken by accident.
bool TitleMatches(std::string_view title, std::string_view beginning);

// Reading another program's list entry: its length is asked first, then its
// text, and the entry can change in between. The buffer for the text has
// room to spare beyond the length asked for (counted in characters, its end
// mark included) ...
std::size_t EntryBufferLength(std::size_t askedLength);
// ... and the text read matches only when the copy, as the list reports its
// length, fits in the buffer with its end mark and equals the wanted text.
bool EntryTextMatches(std::wstring_view buffer, std::size_t copied, std::wstring_view wanted);

// The wait in milliseconds from its text (an environment value): a whole
// decimal number of at most 7 digits, else the fallback.
unsigned ParseTimeoutMs(const char* text, unsigned fallback);

}  // namespace mb
