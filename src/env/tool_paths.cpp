#include "env/tool_paths.h"

#include <utility>

namespace mb {

std::string SettingsFilePath(const ProgramState& state) {
    return state.ProgramFolder + "\\Marobex.ini";
}

void ReadFileVersionInfo(const std::string& path, std::string& version, FilePort& files,
                         MessagePort& messages) {
    std::string found;
    if (!files.FileVersion(path, found)) {
        messages.ShowMessage(NoVersionInfoMessage, MessageIcon::Exclamation);
        return;
    }
    version = found;
}

std::string VirtualDubToolLine(const std::string& version) {
    return "VirtualDub v" + version.substr(0, 6) + "\t\tFound";
}

std::vector<std::string> LoadToolPaths(ProgramState& state, ProfilePort& profile, FilePort& files,
                                       MessagePort& messages) {
    std::vector<std::string> lines;
    const std::string settings = SettingsFilePath(state);
    if (!files.FileExists(settings)) return lines;

    state.VirtualDubPath = profile.ReadIniValue(ToolPathSection, VirtualDubPathKey, settings);
    std::string version;
    ReadFileVersionInfo(state.VirtualDubPath, version, files, messages);
    lines.push_back(VirtualDubToolLine(version));

    state.NanDubPath = profile.ReadIniValue(ToolPathSection, NanDubPathKey, settings);
    lines.push_back(NanDubToolLine);

    state.BesweetPath = profile.ReadIniValue(ToolPathSection, BesweetPathKey, settings);
    lines.push_back(BesweetToolLine);
    return lines;
}

Status SaveToolPaths(const ProgramState& state, ProfilePort& profile) {
    return profile.WriteIniValues(ToolPathSection,
                                  {{VirtualDubPathKey, state.VirtualDubPath},
                                   {NanDubPathKey, state.NanDubPath},
                                   {BesweetPathKey, state.BesweetPath}},
                                  SettingsFilePath(state));
}

Status PrepareToolRegistry(RegistryPort& registry) {
    registry.DeleteRegistryKey("Software\\DivXNetworks\\DivX4Windows");
    registry.DeleteRegistryKey("Software\\DivXNetworks\\DivX412Codec");
    registry.DeleteRegistryKey("Software\\GNU\\XviD");
    const char* const virtualDub = "Software\\Freeware\\VirtualDub";
    Status first;
    for (const char* name : {"SeenDivXWarning", "SeenWelcome", "VirtualDub"}) {
        Status st = registry.SetRegistryDword(virtualDub, name, 1);
        if (!st && first) first = std::move(st);
    }
    return first;
}

}  // namespace mb
