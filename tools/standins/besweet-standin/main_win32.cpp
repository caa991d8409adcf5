// BeSweet.exe, the stand-in for the audio converter: reads the command line
// Marobex builds, writes the converted audio and the log file the line names,
// and appends what it was given and did to the trace file.
#include <windows.h>

#include "standin/besweet_job.h"
#include "standin/standin_win32.h"

namespace {

int Run() {
    mb::TraceRecord trace;
    trace.program = "BeSweet";
    const std::string commandLine = GetCommandLineA();
    trace.Add("command line", commandLine);
    mb::Win32StandinFiles files;
    const bool ok = mb::RunBesweet(commandLine, mb::StandinSeconds(), files, trace);
    trace.Add("result", ok ? "done" : "failed");
    std::string reason;
    mb::AppendTraceRecord(trace, reason);  // nowhere to report a trace that cannot be written
    return ok ? 0 : 1;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    try {
        return Run();
    } catch (...) {
        return 3;
    }
}
