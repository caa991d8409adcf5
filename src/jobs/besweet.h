// BeSweet command lines for the audio streams.
#pragma once

#include <string>

#include "model/encode_settings.h"
#include "model/program_state.h"

namespace mb {

// The BeSweet command line of stream 1 or 2 for its chosen format:
// "MP3" (OptAudioFormat 1) or "DivX ;-) Audio 64 Kb/s" (3, the WAV line).
// Empty for "AC3" and "OGG", which run nothing, and for another stream number.
std::string BesweetCommandLine(int stream, const EncodeSettings& s, const ProgramState& state);
// The same line without the program path in front (it begins with a blank).
std::string BesweetArguments(int stream, const EncodeSettings& s, const ProgramState& state);

// The LAME options for a rate mode (0 CBR, 1 ABR, 2 VBR) and bitrate entry
// (0..5: 56, 64, 80, 96, 112, 128 kbit/s), ending in " )"; empty outside.
std::string LameOptions(int rateMode, int bitrateIndex);

}  // namespace mb
