#include "env/engine_paths.h"

#include "env/tool_paths.h"

namespace mb {

namespace {

std::string Unquoted(std::string text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '"')) text.erase(text.begin());
    while (!text.empty() && (text.back() == ' ' || text.back() == '"' || text.back() == '\\')) text.pop_back();
    return text;
}

}  // namespace

std::string FolderOfPath(const std::string& path) {
    const std::size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string FindFfmpeg(const std::string& engineFolder, const std::string& pathVariable, ProfilePort& profile,
                       FilePort& files) {
    const std::string beside = engineFolder + "\\ffmpeg.exe";
    if (files.FileExists(beside)) return beside;

    ProgramState settings;
    settings.ProgramFolder = engineFolder;
    const std::string ini = SettingsFilePath(settings);
    if (files.FileExists(ini)) {
        const std::string named = Unquoted(profile.ReadIniValue(ToolPathSection, FfmpegPathKey, ini));
        if (!named.empty()) {
            if (files.FileExists(named)) return named;
            if (files.FileExists(named + "\\ffmpeg.exe")) return named + "\\ffmpeg.exe";
        }
    }

    std::size_t start = 0;
    while (start <= pathVariable.size()) {
        std::size_t end = pathVariable.find(';', start);
        if (end == std::string::npos) end = pathVariable.size();
        const std::string folder = Unquoted(pathVariable.substr(start, end - start));
        if (!folder.empty() && files.FileExists(folder + "\\ffmpeg.exe")) return folder + "\\ffmpeg.exe";
        start = end + 1;
    }
    return {};
}

bool IsEngine(const std::string& path, FilePort& files) {
    std::string name;
    return !path.empty() && files.FileProductName(path, name) && name == EngineProductName;
}

std::vector<std::string> DefaultToolPathsToEngine(ProgramState& state, const std::string& pathVariable,
                                                  ProfilePort& profile, FilePort& files, MessagePort& messages) {
    if (files.FileExists(SettingsFilePath(state))) return {};
    const std::string engine = state.ProgramFolder + "\\" + EngineFileName;
    if (!IsEngine(engine, files) || FindFfmpeg(state.ProgramFolder, pathVariable, profile, files).empty()) return {};
    state.VirtualDubPath = state.NanDubPath = state.BesweetPath = engine;
    std::string version;
    ReadFileVersionInfo(engine, version, files, messages);
    return {VirtualDubToolLine(version), NanDubToolLine, BesweetToolLine};
}

std::vector<std::string> EngineCodecLines() {
    return {"DivX 5 (DX50)\t\t(Marobex Engine)", "DivX 4 (DIVX)\t\t(Marobex Engine)", "XviD (XVID)\t\t(Marobex Engine)",
            "DivX 3 (DIV3)\t\t(Marobex Engine)", "DivX Audio (WMA)\t\t(Marobex Engine)"};
}

}  // namespace mb
