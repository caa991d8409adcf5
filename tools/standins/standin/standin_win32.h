// The Windows side shared by the stand-in programs: the real file system,
// their settings from the environment, the trace file and VirtualDub's
// registry values.
#pragma once

#include <optional>
#include <string>

#include "standin/standin_common.h"
#include "standin/trace.h"

namespace mb {

class Win32StandinFiles : public StandinFiles {
public:
    bool Exists(const std::string& path) override;
    std::int64_t Size(const std::string& path) override;
    bool ReadStart(const std::string& path, std::size_t maxBytes, std::string& bytes) override;
    bool Write(const std::string& path, std::string_view bytes, std::string& reason) override;
};

// The value of an environment variable; nullopt when it is not set.
std::optional<std::string> EnvironmentValue(const char* name);

// MAROBEX_STANDIN_SECONDS, MAROBEX_STANDIN_WINDOW_MS and MAROBEX_STANDIN_TRACE
// as the stand-ins take them.
double StandinSeconds();
int StandinWindowMs();
std::string StandinTracePath();

// Appends the record to the trace file in one write, so records of programs
// that end at the same moment do not interleave. False with the system's
// reason when the file cannot be written.
bool AppendTraceRecord(const TraceRecord& record, std::string& reason);

// True when "SeenWelcome" under HKCU\Software\Freeware\VirtualDub is the
// DWORD 1; otherwise VirtualDub would stop on its welcome dialog.
bool SeenWelcomeIsSet();

// The system's text for an error code, without its line break.
std::string SystemErrorText(unsigned long code);

}  // namespace mb
