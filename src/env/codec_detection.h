// Codec detection: runs Codec.exe, which lists the installed codecs into
// c:\Marobex_Codecs.txt, and recognises the codecs Marobex supports.
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
};

}  // namespace mb
