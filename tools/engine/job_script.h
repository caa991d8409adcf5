// Reading VirtualDub job scripts the way VirtualDub and Nandub read them: the
// engine's one reader of the language, strict to the program it is asked to be.
//
// Each line is read on its own: a statement never spans two lines, and a line
// may hold several statements, blanks between any two tokens, and a "//"
// comment to its end. A statement is an object path, a method name and its
// arguments: VirtualDub.video.SetMode(3); Identifiers are case-sensitive.
// Arguments are integers (decimal, "0x" hexadecimal with a lower-case x, a
// leading 0 meaning octal, an optional unary minus) or strings in double
// quotes (escapes \a \b \f \n \r \t \v \xHH, and \c meaning c). A method is
// matched by its exact number and kinds of arguments; there is no conversion
// between integers and strings.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mb {

// VirtualDub knows the common statements; Nandub also knows the second audio
// track (VirtualDub.audio2) and its DivX 3 statements.
enum class ScriptDialect { VirtualDub, Nandub };

struct ScriptValue {
    bool isText = false;
    std::int32_t number = 0;  // when !isText
    std::string text;         // when isText, escapes resolved
};

struct ScriptStatement {
    int line = 0;                   // 1-based line of the file
    std::string object;             // "VirtualDub.video"
    std::string method;             // "SetCompData"
    std::vector<ScriptValue> args;
};

struct ScriptError {
    int line = 0;                   // 1-based line of the file
    std::string message;            // what was found and what was expected
    std::string lineText;           // the line as it stands in the file
};

struct JobScriptReading {
    std::vector<ScriptStatement> statements;  // empty when there is an error
    std::optional<ScriptError> error;         // the first error of the file
};

// Reads the whole script. Lines end in LF or CR LF. A script with an error
// yields no statements at all, so nothing of it runs.
JobScriptReading ReadJobScript(std::string_view text, ScriptDialect dialect);

// "line 7: expected ';' after VirtualDub.Close()"
std::string FormatScriptError(const ScriptError& error);

// The statement in script form without its ";", integers in decimal and
// strings quoted and escaped so that reading the text again gives the same
// statement: VirtualDub.SaveAVI("D:\\out\\b.avi")
std::string StatementText(const ScriptStatement& statement);

}  // namespace mb
