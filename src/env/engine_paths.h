// Marobex's own encoding engine, marobex-engine.exe: a drop-in for
// VirtualDub, Nandub and BeSweet that runs FFmpeg. Where it and FFmpeg are
// found, and how the program knows that a tool path is the engine.
#pragma once

#include <string>
#include <vector>

#include "model/ports.h"
#include "model/program_state.h"

namespace mb {

inline constexpr char EngineFileName[] = "marobex-engine.exe";
// The product name of the engine's version resource, by which it is known.
inline constexpr char EngineProductName[] = "Marobex Engine";
// Marobex.ini beside the engine may name FFmpeg: [PATH] FFMPEGPATH=...
inline constexpr char FfmpegPathKey[] = "FfmpegPath";

// The folder part of a path, without its trailing backslash ("" for a bare
// name).
std::string FolderOfPath(const std::string& path);

// ffmpeg.exe as the engine looks for it: beside the engine (engineFolder);
// else FFMPEGPATH in section PATH of Marobex.ini beside it (the program
// itself or its folder); else each folder of pathVariable (";" between
// folders, quotes allowed). Empty text when none is there.
std::string FindFfmpeg(const std::string& engineFolder, const std::string& pathVariable, ProfilePort& profile,
                       FilePort& files);

// True when the executable is the engine, known by its version resource.
bool IsEngine(const std::string& path, FilePort& files);

// First start (no Marobex.ini yet): when the engine lies beside the program
// and FFmpeg can be found for it, the three tool paths are set to the engine
// (in memory; "Save" keeps them) and the tool list's three lines are
// returned; otherwise nothing changes and the list is empty.
std::vector<std::string> DefaultToolPathsToEngine(ProgramState& state, const std::string& pathVariable,
                                                  ProfilePort& profile, FilePort& files, MessagePort& messages);

// The codec list when VirtualDub's path is the engine: the four video codecs
// and the DivX audio codec, each shown as provided by the engine.
std::vector<std::string> EngineCodecLines();

}  // namespace mb
