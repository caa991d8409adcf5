// Texts handed to the system's dialogs and process start.
#pragma once

#include <string>
#include <string_view>

namespace mb {

// A file dialog filter given as "Text (*.ext)|*.ext|..." in the system's
// form: a "|" is appended when the text does not end with one, then every
// "|" becomes a NUL, so the pairs end with an empty entry.
std::string FileDialogFilter(std::string_view filter);

// The text without the blanks (spaces) around it.
std::string TrimBlanks(std::string_view text);

}  // namespace mb
