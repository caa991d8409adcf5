// The program-wide values shared between the window, the codec state
// builders, the job writers and the run driver. The program owns one; tests
// build their own.
#pragma once

#include <string>

namespace mb {

struct ProgramState {
    // Tool paths (kept in Marobex.ini) and the program's own folder, without
    // a trailing backslash.
    std::string ProgramFolder;
    std::string VirtualDubPath;
    std::string NanDubPath;
    std::string BesweetPath;

    // Paths chosen with the main window's browse buttons.
    std::string SourceFilePath;
    std::string TargetFilePath;
    std::string TempFolderPath;
    std::string Stream1FilePath;
    std::string Stream2FilePath;

    // Set during a run.
    std::string VideoOutputPath;
    std::string FirstPassPath;
    std::string Stream1AudioPath;
    std::string Stream2AudioPath;
    std::string Stream1WmaPath;
    std::string Stream2WmaPath;

    // Codec state texts of the passes (base64; CompDataPass3 holds binary
    // digits until the third pass's bitrate is known).
    std::string CompDataPass1;
    std::string CompDataPass2;
    std::string CompDataPass3;

    // Facts found by codec detection; false until it has run.
    bool Divx4FourccIsDivx = false;
    bool DivxAudioCodecFound = false;
};

}  // namespace mb
