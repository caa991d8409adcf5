// MakeDemoSample.exe [folder]: writes a small sample source into the folder
// (by default "C:\Marobex Sample"), so that a new user can pick it in
// Marobex and watch a whole run against the engine's simulation:
//   sample.avi  10 s of uncompressed 64 x 48 video at 25 frames per second
//   sample.ac3  10 s of AC3-framed audio at 384 kbit/s (silent frames)
// The simulation only looks at a source's headers and length, so neither
// file needs real pictures or sound.
#include <windows.h>

#include <cstdio>
#include <string>

#include "env/files_win32.h"
#include "engine/media_files.h"

namespace {

constexpr char kDefaultFolder[] = "C:\\Marobex Sample";
constexpr int kSeconds = 10;

std::string SampleVideo() {
    mb::AviShape avi;
    avi.width = 64;
    avi.height = 48;
    avi.framesPerSecond = 25;
    avi.frames = 25 * kSeconds;
    avi.videoBytes = static_cast<std::int64_t>(avi.frames) * 64 * 48 * 3;
    return mb::AviBytes(avi);
}

// AC3 frames of 1,536 bytes (384 kbit/s at 48 kHz), each opening with the
// AC3 sync word and otherwise zero.
std::string SampleAudio() {
    constexpr std::size_t kFrameBytes = 1536;
    constexpr std::size_t kFrames = (48000 * kSeconds + kFrameBytes - 1) / kFrameBytes;
    std::string bytes(kFrames * kFrameBytes, '\0');
    for (std::size_t f = 0; f < kFrames; ++f) {
        bytes[f * kFrameBytes] = '\x0B';
        bytes[f * kFrameBytes + 1] = '\x77';
    }
    return bytes;
}

bool Write(mb::FilesW32& files, const std::string& path, const std::string& bytes) {
    std::string reason;
    if (!files.WriteFile(path, bytes, reason)) {
        std::fputs(("cannot write " + path + ": " + reason + "\n").c_str(), stderr);
        return false;
    }
    std::fputs(("wrote " + path + " (" + std::to_string(bytes.size()) + " bytes)\n").c_str(), stdout);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    std::string folder = argc > 1 ? argv[1] : kDefaultFolder;
    while (folder.size() > 3 && (folder.back() == '\\' || folder.back() == '/')) folder.pop_back();
    if (!CreateDirectoryA(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
        const std::string code = std::to_string(GetLastError());
        std::fputs(("cannot create the folder " + folder + " (error " + code + ")\n").c_str(), stderr);
        return 1;
    }
    mb::FilesW32 files;
    const bool ok = Write(files, folder + "\\sample.avi", SampleVideo()) &&
                    Write(files, folder + "\\sample.ac3", SampleAudio());
    return ok ? 0 : 1;
}
