// BeSweet command lines: the MP3 conversion (azid decoding, optional
// resampling, LAME encoding) and the WAV decoding for the DivX audio codec.
#include "jobs/besweet.h"

#include <array>

#include "jobs/script_file.h"

namespace mb {

namespace {

using jobs_detail::Quoted;

// The per-stream fields and file names, so that stream 2 can never pick up a
// setting of stream 1.
struct StreamFields {
    const std::string& sourcePath;
    int format;
    int rateMode;
    int bitrate;
    int resample44;
    int normalise;
    int amplification;
    const char* mp3Name;
    const char* wavName;
    const char* logFile;
};

StreamFields Fields(int stream, const EncodeSettings& s, const ProgramState& state) {
    if (stream == 2) {
        return {state.Stream2FilePath, s.OptAudioFormat2, s.CmbMP3ModeStream2, s.CmbBitrate2,
                s.Chk44Stream2,        s.ChkNormaliseStream2, s.SldAmpliStream2,
                "\\Stream2.MP3",       "\\Stream2.WAV",     "C:\\Marobex_Stream2.log"};
    }
    return {state.Stream1FilePath, s.OptAudioFormat1, s.CmbMP3ModeStream1, s.CmbBitrate1,
            s.Chk44Stream1,        s.ChkNormaliseStream1, s.SldAmpliStream1,
            "\\Stream1.MP3",       "\\Stream1.WAV",     "C:\\Marobex_Stream1.log"};
}

// The azid decoder's options up to the amplification, which the caller adds.
std::string AzidStart(const StreamFields& f) {
    return f.normalise == 1 ? "-azid( -c normal -g max -L" : "-azid( -c normal -g 6 -L";
}

// A source whose extension is exactly ".mpa" is MPEG audio, which LAME must
// be told to take as input.
bool IsMpaSource(const std::string& path) {
    const auto point = path.rfind('.');
    return point != std::string::npos && path.compare(point, std::string::npos, ".mpa") == 0;
}

constexpr int kFormatMp3 = 1;
constexpr int kFormatDivxAudio = 3;

}  // namespace

std::string LameOptions(int rateMode, int bitrateIndex) {
    static constexpr std::array<std::array<const char*, 3>, 6> kOptions{{
        {"-h -b 56 -m j )", "--alt-preset 56 )",
         "-m s -q 0 -v --vbr-mtrh -V 0 -b 40 -B 64 --athtype 2 )"},
        {"-h -b 64 -m j )", "--alt-preset 64 )",
         "-m s -q 0 -v --vbr-mtrh -V 0 -b 56 -B 80 --athtype 2 )"},
        {"-h -b 80 -m j )", "--abr 80 -mj -h -b32 -Z --lowpass 19.5 )",
         "-m s -q 0 -v --vbr-mtrh -V 0 -b 64 -B 96 --athtype 2 )"},
        {"-h -b 96 -m j )", "--abr 96 -mj -h -b32 -Z --lowpass 19.5 )",
         "-m s -q 0 -v --vbr-mtrh -V 0 -b 80 -B 112 --athtype 2 )"},
        {"-h -b 112 -m j )", "--abr 112 -mj -h -b32 -Z --lowpass 19.5 )",
         "-m s -q 0 -v --vbr-mtrh -V 0 -b 96 -B 128 --athtype 2 )"},
        {"-h -b 128 -m j )", "--abr 128 -mj -h -b32 -Z --lowpass 19.5 )",
         "-m s -q 0 -v --vbr-mtrh -V 0 -b 112 -B 144 --athtype 2 )"},
    }};
    if (rateMode < 0 || rateMode > 2 || bitrateIndex < 0 || bitrateIndex > 5) return {};
    return kOptions[static_cast<std::size_t>(bitrateIndex)][static_cast<std::size_t>(rateMode)];
}

std::string BesweetCommandLine(int stream, const EncodeSettings& s, const ProgramState& state) {
    const std::string arguments = BesweetArguments(stream, s, state);
    return arguments.empty() ? std::string() : state.BesweetPath + arguments;
}

std::string BesweetArguments(int stream, const EncodeSettings& s, const ProgramState& state) {
    if (stream != 1 && stream != 2) return {};
    const StreamFields f = Fields(stream, s, state);
    const std::string amp = std::to_string(f.amplification);

    if (f.format == kFormatMp3) {
        std::string line = " -core( -input " + Quoted(f.sourcePath) +
                           " -output " + Quoted(state.TempFolderPath + f.mp3Name) + " -logfile " +
                           Quoted(f.logFile) + " )" + AzidStart(f);
        if (f.amplification != 0) {
            // Stream 1 names the unit, stream 2 gives the bare number.
            line += " -" + amp + (stream == 2 ? " )" : "db )");
        } else {
            line += " )";
        }
        if (f.resample44 == 1) line += " -ssrc( --rate 44100 )";
        line += IsMpaSource(f.sourcePath) ? " -lame( --mp2input " : " -lame( ";
        line += LameOptions(f.rateMode, f.bitrate);
        return line;
    }
    if (f.format == kFormatDivxAudio) {
        std::string line = " -core( -input " + Quoted(f.sourcePath) +
                           " -output " + Quoted(state.TempFolderPath + f.wavName) +
                           " -2ch -logfile " + Quoted(f.logFile) + " )" + AzidStart(f);
        line += f.amplification != 0 ? " -" + amp + " )" : std::string(" )");
        return line;
    }
    return {};
}

}  // namespace mb
