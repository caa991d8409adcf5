// Reading a codec state record back: what a codec takes from the text that
// VirtualDub.video.SetCompData hands it, using the same field tables that
// build the records (codec_templates.h). The encoding engine uses it to
// encode as the chosen codec would.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace mb {

// Standard base64 decoding through the program's own table: alphabet
// characters only, then "=" signs at the end (all optional); nullopt for any
// other character or a "=" in the middle.
std::optional<std::string> DecodeStateText(std::string_view text);

enum class CodecKind { Divx5, Divx4, Xvid };
enum class PassMode {
    Single,  // one pass at the bitrate
    First,   // analysis pass: writes the statistics
    Second,  // reads the statistics (also the DivX 4 third pass)
};

struct CodecSettings {
    CodecKind codec = CodecKind::Divx5;
    std::string name;                 // "DivX 5", "DivX 4", "XviD"
    std::string fourcc;               // what the codec writes into the AVI: "DX50", "DIVX", "XVID"
    std::int32_t bitsPerSecond = 0;
    PassMode pass = PassMode::Single;
    std::int32_t passField = 0;       // the record's own pass or mode value
    std::int32_t maxKeyInterval = 0;
    std::int32_t minKeyInterval = 0;  // XviD only; 0 elsewhere
    std::int32_t minQuantizer = 0;
    std::int32_t maxQuantizer = 0;
    bool bFrames = false;             // DivX 5
    bool quarterPixel = false;        // DivX 5
    bool gmc = false;                 // DivX 5
    bool mpegQuantization = false;    // XviD "MPEG" and "MPEG-Custom"
    // Every number the codec's window writes into the record, by the
    // meaning its table gives it ("RC reaction period", "bonus bias", ...);
    // the fixed values are left out.
    std::map<std::string, std::int32_t, std::less<>> values;
    // XviD: the record's two quantizer matrices, 64 entries each, row by row.
    std::string intraMatrix, interMatrix;
};

// The settings in a state record of the given length: the codec is the one
// whose record has that length (323 DivX 5, 316 DivX 4, 1,124 XviD). nullopt,
// with the reason in problem, for a length no codec has, a text that is not
// base64 or holds fewer bytes than the length, or a pass value the codec does
// not know.
std::optional<CodecSettings> ReadCodecSettings(std::int32_t length, std::string_view stateText,
                                               std::string& problem);

}  // namespace mb
