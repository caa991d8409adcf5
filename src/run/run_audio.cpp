#include "run/run_audio.h"

#include "jobs/besweet.h"
#include "jobs/job_scripts.h"
#include "run/priority_command.h"

namespace mb {

void EncodeAudio(const EncodeSettings& s, ProgramState& state, const RunTools& tools, RunPorts& ports) {
    for (int stream = 1; stream <= 2; ++stream) {
        const bool first = stream == 1;
        if ((first ? s.TxtStream1 : s.TxtStream2).empty()) continue;
        const int format = first ? s.OptAudioFormat1 : s.OptAudioFormat2;
        const std::string& source = first ? state.Stream1FilePath : state.Stream2FilePath;
        std::string& audio = first ? state.Stream1AudioPath : state.Stream2AudioPath;
        std::string& wma = first ? state.Stream1WmaPath : state.Stream2WmaPath;
        const std::string name = first ? "\\Stream1" : "\\Stream2";
        const std::string step = first ? "Audio Stream 1" : "Audio Stream 2";

        ports.view.StepStarted({step, state.SourceFilePath,
                                format == 1 ? state.TempFolderPath + name + ".MP3" : std::string(),
                                format == 1 ? static_cast<double>(Mp3Kbps(first ? s.CmbBitrate1 : s.CmbBitrate2)) : 0});
        if (format == 0) audio = source;  // the AC3 file itself goes into the mux
        if (format == 1) {
            audio = state.TempFolderPath + name + ".MP3";
            RunStep(ports, step, {tools.besweet, BesweetArguments(stream, s, state)}, 1, audio);
        }
        if (format == 3) {
            audio = state.TempFolderPath + name + ".WAV";
            wma = state.TempFolderPath + name + "WMA.WAV";
            RunStep(ports, step, {tools.besweet, BesweetArguments(stream, s, state)}, 1, audio);
            StopUnless(WriteFakeAvi(ports.files, ports.fakeAvi.empty() ? FakeAviBytes() : ports.fakeAvi));
            StopUnless(WriteVCFwav2wma(audio, wma, ports.files));
            if (ports.processes.RunCancelled()) throw CancelStop();
            SetVdubPriority(1, s, state, ports.processes);
            RunStep(ports, step + " WMA", {tools.virtualDub, " /r /x /sc:\\wav2wma.vcf"}, 0, wma);
            audio = wma;
        }
    }
}

}  // namespace mb
