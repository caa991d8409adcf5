// Codec detection: runs Codec.exe, which lists the installed codecs into
// c:\Marobex_Codecs.txt, and recognises the codecs Marobex supports.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/codec_check.h"
#include "model/program_state.h"
#include "model/ports.h"

namespace mb {

// The list Codec.exe writes, read and deleted by the check.
inline constexpr char CodecListFile[] = "c:\\Marobex_Codecs.txt";
// How long Codec.exe may take: with many codecs installed it loads every
// codec library, which takes seconds; one that hangs must not hang Marobex.
inline constexpr int CodecCheckLimitMs = 30000;
// The list's line for a check that ran out of time.
std::string CodecCheckTimeoutLine(int limitMs);
// The list's line while a check runs.
inline constexpr char CodecCheckRunningLine[] = "Checking the installed codecs ...";

// Caption of the check button while a check runs.
inline constexpr char CodecCheckWaitCaption[] = "Wait Starting Check ...";

// The button that starts a check (CmdCheckCodec). While the check runs it is
// disabled and shows CodecCheckWaitCaption; afterwards it gets its caption
// back and is enabled again, also when the check ends by an exception.
class CodecCheckButton {
public:
    virtual ~CodecCheckButton() = default;
    virtual std::string Caption() = 0;
    virtual void SetCaption(const std::string& caption) = 0;
    virtual void SetEnabled(bool enabled) = 0;
};

// A 64-bit file time (UTC, no conversion to local time) as "DD/MM/YY" with
// the given separator between the parts; 8 May 2002 gives "08/05/02" with
// "/". Empty text for a time the system cannot convert (top bit set).
std::string FileDateText(std::uint64_t fileTime, const std::string& dateSeparator);

// The whole check, short of applying the result to the main window's
// options: runs ProgramFolder\Codec.exe hidden and waits for it, reads the
// list file line by line, recognises the six codec markers (case-sensitive
// line beginnings) and adds each recognised line with its suffix, sets
// state.Divx4FourccIsDivx on every DivX 4 line (true when DIVX4.DLL is not in
// the system directory), adds the DivX audio codec line and sets
// state.DivxAudioCodecFound (never clears it) when DIVXA32.ACM is there, and
// deletes the list file. The XviD line carries the creation date of
// XVID.DLL, or "()" when that file cannot be read. A missing Codec.exe or
// list file ends the check with an empty list and listRead false. A
// Codec.exe still running after limitMs is ended: the list then holds only
// CodecCheckTimeoutLine, with timedOut set. button may be null. When
// VirtualDubPath is Marobex's engine, Codec.exe does not run: the engine's
// codecs (EngineCodecLines) are found instead.
CodecCheckResult RunCodecCheck(ProgramState& state, ProcessPort& processes, FilePort& files,
                               LocalePort& locale, CodecCheckButton* button = nullptr,
                               int limitMs = CodecCheckLimitMs);

}  // namespace mb
