// The command lines the engine is started with, as the programs it takes
// the place of read them: VirtualDub's and Nandub's " /r /x /s<job file>"
// and BeSweet's option groups
//   -core( -input "<file>" -output "<file>" [-2ch] -logfile "<file>" )
//   -azid( <options> ) [-ssrc( --rate <Hz> )] [-lame( [--mp2input] <options> )]
// and the path helpers they share.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace mb {

struct EncoderArguments {
    std::string jobFile;
    bool runJob = false;        // /r
    bool exitWhenDone = false;  // /x
};
// Parses the arguments (the command line after the program path). The job
// file follows /s directly, quoted when it holds blanks; /x is required, since
// without it the program would stay open after the job.
bool ParseEncoderArguments(std::string_view arguments, EncoderArguments& out, std::string& problem);

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
};

// Parses BeSweet's arguments. An option group opens with "-<name>(" and
// closes with ")"; a group may follow a ")" without a blank between them,
// and file names may be quoted. Fails on an unbalanced group, a group or
// -core( option it does not know, a token outside any group, a repeated
// group, a missing -core( or a missing -input or -output. options keeps what
// was read before the problem (the log file above all, so the problem can
// be logged).
bool ParseBesweetArguments(std::string_view arguments, BesweetOptions& options, std::string& problem);

// The command line without the program path (quoted or not) and the blanks
// after it.
std::string_view ArgumentsOf(std::string_view commandLine);

// The last component of a path ("a.avs" from "C:\in\a.avs").
std::string FileNameOf(std::string_view path);

// The extension from the last "." of the file name, in lower case (".avi");
// empty when there is none.
std::string LowerExtension(std::string_view path);

}  // namespace mb
