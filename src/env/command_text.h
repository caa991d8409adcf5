// Texts handed to the system's dialogs and process start.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace mb {

// A file dialog filter given as "Text (*.ext)|*.ext|..." in the system's
// form: a "|" is appended when the text does not end with one, then every
// "|" becomes a NUL, so the pairs end with an empty entry.
std::string FileDialogFilter(std::string_view filter);

// The text without the blanks (spaces) around it.
std::string TrimBlanks(std::string_view text);

// The command line with its program path in double quotes when that path
// holds a blank, so that "C:\Program Files\x\tool.exe" cannot start
// "C:\Program.exe". The program path is the longest beginning of the line
// that ends in ".exe", ".com" or ".bat" (any case), is followed by a blank or
// the end, and names an existing file; when none exists, the shortest such
// beginning. A line that starts with a quote, or without such a beginning,
// comes back unchanged; so do the arguments after the path.
std::string QuoteProgramPath(const std::string& commandLine,
                             const std::function<bool(const std::string&)>& fileExists);

}  // namespace mb
