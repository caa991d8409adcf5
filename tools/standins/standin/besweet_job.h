// The BeSweet stand-in: reads the command line Marobex builds and writes the
// converted audio (MP3 or WAV) and BeSweet's log file.
//
//   <path> -core( -input "<file>" -output "<file>" [-2ch] -logfile "<file>" )
//          -azid( <options> ) [-ssrc( --rate <Hz> )] [-lame( [--mp2input] <options> )]
//
// An option group opens with "-<name>(" and closes with ")"; a group may
// follow a ")" without a blank between them. File names may be quoted.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "standin/standin_common.h"
#include "standin/trace.h"

namespace mb {

struct BesweetOptions {
    std::string input;
    std::string output;
    std::string logFile;
    bool twoChannels = false;             // -2ch
    bool haveAzid = false;
    std::vector<std::string> azid;        // the tokens of -azid( ... )
    std::uint32_t resampleRate = 0;       // -ssrc( --rate N ); 0 when absent
    bool haveLame = false;
    bool mp2Input = false;                // --mp2input in -lame( ... )
    std::vector<std::string> lame;        // the other tokens of -lame( ... )
    std::vector<std::string> groups;      // each group as written back: "-azid( -c normal )"
};

// Parses the arguments (the command line after the program path). Fails on
// an unbalanced group, a group or -core( option it does not know, a token
// outside any group, a repeated group, a missing -core( or a missing -input
// or -output. options keeps what was read before the problem (the log file
// above all, so the problem can be logged).
bool ParseBesweetArguments(std::string_view arguments, BesweetOptions& options, std::string& problem);

// The MPEG audio the -lame( options ask for.
struct Mp3Plan {
    std::string mode;                     // "CBR", "ABR" or "VBR"
    int kbpsLow = 128;                    // frames alternate between low and high
    int kbpsHigh = 128;
    std::uint32_t samplesPerSec = 48000;
};
// CBR takes -b (128 when absent); ABR --abr N or --alt-preset N; VBR (-v or
// --vbr-*) alternates between -b and -B (32 and 320 when absent). The rate is
// the -ssrc( rate, or 48000. Fails on a missing or malformed number, or a
// rate MPEG-1 audio does not have (32000, 44100, 48000).
bool PlanMp3(const BesweetOptions& options, Mp3Plan& plan, std::string& problem);

// Runs one BeSweet command line: checks it and the input file, writes the
// output (".mp3": MP3 per PlanMp3; ".wav": 16-bit PCM, 2 channels, at the
// -ssrc( rate or 48000 Hz) lasting the seconds given, and the log file. A
// malformed line or a missing input writes no output, only the log (when the
// line names one). Adds to the trace: "input", "output", "log file", "group"
// per option group, "mp3", "wrote", "error". True when the output was written.
bool RunBesweet(std::string_view commandLine, double seconds, StandinFiles& files, TraceRecord& trace);

}  // namespace mb
