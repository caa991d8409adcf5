#include "model/saved_job.h"

#include <span>

#include "model/text.h"

namespace mb {

namespace {

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && (IsBlank(text.back()) || text.back() == '\r' || text.back() == '\n'))
        text.remove_suffix(1);
    return text;
}

std::string Quoted(std::string_view value) {
    std::string q(1, '"');
    q.append(value).push_back('"');
    return q;
}

// A key of a section and where its value goes.
struct KeyTarget {
    const char* key;
    std::string SavedJob::*field;
};

constexpr KeyTarget kPathKeys[] = {
    {"SourceFilePath", &SavedJob::SourceFilePath},   {"TargetFilePath", &SavedJob::TargetFilePath},
    {"TempFolderPath", &SavedJob::TempFolderPath},   {"Stream1FilePath", &SavedJob::Stream1FilePath},
    {"Stream2FilePath", &SavedJob::Stream2FilePath},
};
constexpr KeyTarget kToolKeys[] = {
    {"VirtualDubPath", &SavedJob::VirtualDubPath},
    {"NanDubPath", &SavedJob::NanDubPath},
    {"BesweetPath", &SavedJob::BesweetPath},
};

enum class Section { Paths, Settings, Tools };

// The key=value lines of one section, with their values stored in the job.
void ReadSection(Section kind, const std::string& name, SavedJobSource& source, SavedJob& job,
                 std::vector<std::string>& warnings) {
    const std::string where = "[" + name + "] ";
    std::vector<std::string> seen;  // keys in their canonical spelling
    for (const std::string& raw : source.SectionLines(name)) {
        const std::string_view line = TrimBlanks(raw);
        if (line.empty() || line.front() == ';') continue;  // blank lines and comments
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos) {
            warnings.push_back(where + Quoted(line) + ": not a key=value line, ignored");
            continue;
        }
        const std::string_view key = TrimBlanks(line.substr(0, equals));
        std::string value = SavedJobValueText(line.substr(equals + 1));

        std::string canonical;
        std::optional<std::string>* setting = nullptr;
        std::string* field = nullptr;
        if (kind == Section::Settings) {
            const Ctl c = FindControl(key);
            if (c != Ctl::Count) {
                canonical = Control(c).name;
                setting = &job.settings[static_cast<std::size_t>(c)];
            }
        } else {
            const std::span<const KeyTarget> keys =
                kind == Section::Paths ? std::span<const KeyTarget>(kPathKeys) : std::span<const KeyTarget>(kToolKeys);
            for (const KeyTarget& t : keys) {
                if (SameNoCase(key, t.key)) {
                    canonical = t.key;
                    field = &(job.*t.field);
                }
            }
        }
        if (canonical.empty()) {
            warnings.push_back(where + std::string(key) + ": unknown key, ignored");
            continue;
        }
        bool duplicate = false;
        for (const std::string& k : seen) duplicate = duplicate || k == canonical;
        if (duplicate) {
            warnings.push_back(where + std::string(key) + ": given again, the first value counts");
            continue;
        }
        seen.push_back(canonical);
        if (setting) *setting = std::move(value);
        if (field) *field = std::move(value);
    }
}

}  // namespace

std::string SavedJobValueText(std::string_view raw) {
    std::string_view value = TrimBlanks(raw);
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'')) {
        const std::size_t close = value.find(value.front(), 1);
        if (close != std::string_view::npos) {
            const std::string_view rest = TrimBlanks(value.substr(close + 1));
            if (rest.empty() || rest.front() == ';') return std::string(value.substr(1, close - 1));
        }
    }
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] == ';' && (i == 0 || IsBlank(value[i - 1]))) {
            value = TrimBlanks(value.substr(0, i));
            break;
        }
    }
    return std::string(value);
}

SavedJob ReadSavedJob(SavedJobSource& source, std::vector<std::string>& warnings) {
    SavedJob job;
    bool done[3] = {false, false, false};
    for (const std::string& name : source.SectionNames()) {
        Section kind;
        if (SameNoCase(name, SavedJobPathsSection))
            kind = Section::Paths;
        else if (SameNoCase(name, SavedJobSettingsSection))
            kind = Section::Settings;
        else if (SameNoCase(name, SavedJobToolsSection))
            kind = Section::Tools;
        else {
            warnings.push_back("[" + name + "]: unknown section, ignored");
            continue;
        }
        // The profile routines give a section's lines under its first name.
        bool& read = done[static_cast<int>(kind)];
        if (read) continue;
        read = true;
        ReadSection(kind, name, source, job, warnings);
    }
    return job;
}

void StartSavedJobForm(FormModel& model, ProgramState& state) {
    state.Divx4FourccIsDivx = false;
    state.DivxAudioCodecFound = true;
    model.RunStartup({});
}

void ApplySavedJob(const SavedJob& job, FormModel& model, std::vector<std::string>& warnings) {
    const auto refused = [&warnings](const char* key, const std::string& value, const char* why) {
        warnings.push_back(std::string("[Paths] ") + key + ": not set to " + Quoted(value) + ", " + why);
    };

    if (!job.SourceFilePath.empty()) model.BrowseSource(job.SourceFilePath);
    if (!job.TargetFilePath.empty()) {
        if (model.CommandEnabled(Command::cmdBrowseTgt))
            model.BrowseTarget(job.TargetFilePath);
        else
            refused("TargetFilePath", job.TargetFilePath, "the target needs a source first");
    }
    if (!job.TempFolderPath.empty()) model.BrowseTempFolder(job.TempFolderPath);
    if (!job.Stream1FilePath.empty()) model.BrowseStream1(job.Stream1FilePath);

    for (int i = 0; i < kControlCount; ++i) {
        const std::optional<std::string>& value = job.settings[static_cast<std::size_t>(i)];
        if (!value) continue;
        const Ctl c = static_cast<Ctl>(i);
        const ControlInfo& info = Control(c);
        if (info.flags & MB_READONLY) {
            warnings.push_back(std::string("[Settings] ") + info.name +
                               ": a path box, ignored; give its path under [Paths]");
            continue;
        }
        std::string warning;
        if (!model.SetFromText(c, *value, warning)) warnings.push_back("[Settings] " + warning);
    }

    if (!job.Stream2FilePath.empty()) {
        if (model.CommandEnabled(Command::CmdBrowseStream2))
            model.BrowseStream2(job.Stream2FilePath);
        else
            refused("Stream2FilePath", job.Stream2FilePath, "ChkStream2 is not checked");
    }
}

void ApplySavedJobTools(const SavedJob& job, ProgramState& state) {
    if (!job.VirtualDubPath.empty()) state.VirtualDubPath = job.VirtualDubPath;
    if (!job.NanDubPath.empty()) state.NanDubPath = job.NanDubPath;
    if (!job.BesweetPath.empty()) state.BesweetPath = job.BesweetPath;
}

}  // namespace mb
