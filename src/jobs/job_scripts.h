// Job scripts for VirtualDub and Nandub and the fake AVI of the WMA job.
// Every job file is ANSI text with CR LF line ends, written whole through the
// file port. A writer that cannot write its file returns a failed Status
// whose message names the file and the system's reason.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "model/encode_settings.h"
#include "model/program_state.h"
#include "model/ports.h"

namespace mb {

// The path with every "\" doubled, for text arguments of job scripts.
std::string DoubleBackslash(std::string_view path);

// The target up to (not including) its last "." followed by "_firstpass.avi";
// nullopt when the target has no ".".
std::optional<std::string> FirstPassPath(std::string_view targetPath);

// Video passes through VirtualDub. codec is "Divx5", "Divx4" or "Xvid"
// (compared exactly; another name is a failure and writes nothing).
// NumPass 1 writes c:\jobpass.vcf; 2 c:\jobpass1.vcf and c:\jobpass2.vcf
// (setting state.FirstPassPath; a target without "." is a failure and
// writes nothing); 3 c:\jobpass3.vcf; others nothing.
Status WriteVCFvirtualDub(const std::string& codec, int NumPass, int FastOrFull,
                          ProgramState& state, FilePort& files);

// DivX 3 passes through Nandub: NumPass 1 writes c:\jobpass1.vcf, 2 writes
// c:\jobpass2.vcf, others nothing. Both set state.FirstPassPath from the
// target; the first pass fails, writing nothing, when the target has no ".".
Status WriteVCFnanDub(int NumPass, int FastOrFull, const EncodeSettings& s, ProgramState& state,
                      FilePort& files);

// c:\wav2wma.vcf: the WAV file at inputPath compressed to WMA at outputPath.
Status WriteVCFwav2wma(const std::string& inputPath, const std::string& outputPath, FilePort& files);

// c:\AudioMux.vcf: VideoOutputPath muxed with one or two audio streams into
// TargetFilePath.
Status WriteVCFaudioMux(int streams, int stream1Ac3, int stream2Ac3, int stream1Delay,
                        int stream2Delay, const ProgramState& state, FilePort& files);

// The 3,072 bytes of the fake AVI (one 16 x 16 black frame at 10 frames per
// second), built from its layout.
std::string FakeAviBytes();
// Writes the fake AVI to c:\fake.avi. The Windows program passes the copy it
// carries as its "FAKEAVI" resource (LoadFakeAviResource); the bytes are the
// same as FakeAviBytes(). Empty bytes (a program without the resource) are a
// failure, and nothing is written.
Status WriteFakeAvi(FilePort& files, const std::string& bytes = FakeAviBytes());

}  // namespace mb
