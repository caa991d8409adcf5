#include "model/saved_job_write.h"

#include <cctype>

namespace mb {

namespace {

bool SameNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

bool StartsNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && SameNoCase(text.substr(0, prefix.size()), prefix);
}

void Line(std::string& text, const std::string& key, const std::string& value) {
    if (value.empty()) return;
    text += key + "=" + JobFileValue(value) + "\r\n";
}

}  // namespace

SavedJob JobFromForm(const FormModel& form, const ProgramState& state) {
    SavedJob job;
    job.SourceFilePath = state.SourceFilePath;
    job.TargetFilePath = state.TargetFilePath;
    job.TempFolderPath = state.TempFolderPath;
    job.Stream1FilePath = state.Stream1FilePath;
    job.Stream2FilePath = state.Stream2FilePath;
    // A path the window no longer shows (a cancelled dialog empties the box)
    // is no part of the job.
    if (form.Text(Ctl::txtTarget).empty()) job.TargetFilePath.clear();
    if (form.Text(Ctl::TxtStream1).empty()) job.Stream1FilePath.clear();
    if (form.Text(Ctl::TxtStream2).empty()) job.Stream2FilePath.clear();
    if (form.Text(Ctl::txtSource).empty()) job.SourceFilePath.clear();

    for (int i = 0; i < kControlCount; ++i) {
        const Ctl c = static_cast<Ctl>(i);
        const ControlInfo& info = Control(c);
        if ((info.flags & (MB_READONLY | MB_HIDDEN)) || !form.Enabled(c) || !form.Visible(c)) continue;
        const int value = form.Value(c);
        switch (info.kind) {
            case ControlKind::Text: job.settings[static_cast<std::size_t>(i)] = form.Text(c); break;
            case ControlKind::Option:
                if (value >= 0 && form.ButtonEnabled(c, value) && form.ButtonVisible(c, value))
                    job.settings[static_cast<std::size_t>(i)] = std::to_string(value);
                break;
            case ControlKind::List:
                if (value >= 0) job.settings[static_cast<std::size_t>(i)] = std::to_string(value);
                break;
            default: job.settings[static_cast<std::size_t>(i)] = std::to_string(value); break;
        }
    }
    return job;
}

std::string JobFileValue(const std::string& value) {
    if (SavedJobValueText(value) == value) return value;
    for (const char quote : {'"', '\''}) {
        const std::string quoted = quote + value + quote;
        if (SavedJobValueText(quoted) == value) return quoted;
    }
    return value;  // holds both quotes where it needs them: the closest the format allows
}

std::string SavedJobText(const SavedJob& job, const std::string& sectionPrefix) {
    std::string text = "[" + sectionPrefix + SavedJobPathsSection + "]\r\n";
    Line(text, "SourceFilePath", job.SourceFilePath);
    Line(text, "TargetFilePath", job.TargetFilePath);
    Line(text, "TempFolderPath", job.TempFolderPath);
    Line(text, "Stream1FilePath", job.Stream1FilePath);
    Line(text, "Stream2FilePath", job.Stream2FilePath);
    text += "[" + sectionPrefix + SavedJobSettingsSection + "]\r\n";
    for (int i = 0; i < kControlCount; ++i) {
        const auto& value = job.settings[static_cast<std::size_t>(i)];
        // A text box may hold the empty text: under [Settings] that is a value.
        if (value) text += std::string(Control(static_cast<Ctl>(i)).name) + "=" + JobFileValue(*value) + "\r\n";
    }
    if (!job.VirtualDubPath.empty() || !job.NanDubPath.empty() || !job.BesweetPath.empty()) {
        text += "[" + sectionPrefix + SavedJobToolsSection + "]\r\n";
        Line(text, "VirtualDubPath", job.VirtualDubPath);
        Line(text, "NanDubPath", job.NanDubPath);
        Line(text, "BesweetPath", job.BesweetPath);
    }
    return text;
}

TextJobFile::TextJobFile(const std::vector<std::string>& lines) {
    for (const std::string& raw : lines) {
        std::string_view line = raw;
        while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
        if (!line.empty() && line.front() == '[') {
            const std::size_t close = line.find(']');
            sections_.emplace_back(std::string(line.substr(1, close == std::string_view::npos ? close : close - 1)),
                                   std::vector<std::string>{});
        } else if (!sections_.empty()) {
            std::string kept(line);
            while (!kept.empty() && (kept.back() == '\r' || kept.back() == '\n')) kept.pop_back();
            sections_.back().second.push_back(std::move(kept));
        }
    }
}

std::vector<std::string> TextJobFile::SectionNames() {
    std::vector<std::string> names;
    for (const auto& s : sections_) names.push_back(s.first);
    return names;
}

std::vector<std::string> TextJobFile::SectionLines(const std::string& section) {
    for (const auto& s : sections_)
        if (SameNoCase(s.first, section)) return s.second;
    return {};
}

std::vector<std::string> PrefixedJobSource::SectionNames() {
    std::vector<std::string> names;
    for (const std::string& name : all_.SectionNames())
        if (name.size() > prefix_.size() && StartsNoCase(name, prefix_)) names.push_back(name.substr(prefix_.size()));
    return names;
}

std::vector<std::string> PrefixedJobSource::SectionLines(const std::string& section) {
    return all_.SectionLines(prefix_ + section);
}

}  // namespace mb
