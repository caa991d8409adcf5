// What a codec check found: the lines of the codec list and the codecs
// Marobex supports among them. The main window's codec options follow it.
#pragma once

#include <string>
#include <vector>

namespace mb {

struct CodecCheckResult {
    std::vector<std::string> lines;  // what LstCodecFound shows, in order
    bool divx4 = false;
    bool divx5Pro = false;
    bool divx5 = false;
    bool xvid = false;
    bool divx3Low = false;
    bool divx3Fast = false;
    // False when Codec.exe is missing or left no list file: the check found
    // nothing because it could not look, not because nothing is installed.
    bool listRead = false;
    // Codec.exe did not end within the check's time limit and was stopped.
    bool timedOut = false;
};

}  // namespace mb
