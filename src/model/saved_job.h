// Saved encoding jobs: an INI file with the paths of the browse buttons
// ([Paths]), the control values ([Settings], keyed by control name) and,
// optionally, the tool paths ([Tools]). A job is loaded into the same form
// model the main window uses, through the same browse buttons and control
// rules, so that a run of it is the run "&Start Encode" would make.
//
// Nothing in a saved job is fatal: an unknown section or key, a malformed
// line or a value the form refuses becomes a one-line warning naming it, and
// loading goes on.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/encode_settings.h"
#include "model/form_model.h"
#include "model/program_state.h"

namespace mb {

// The text of a saved job as the profile routines give it: the section names
// in file order, and for each section its lines ("key=value") in file order.
// The Windows programs read it with GetPrivateProfileSectionNamesA and
// GetPrivateProfileSectionA (env/saved_job_win32.h); tests give their own.
class SavedJobSource {
public:
    virtual ~SavedJobSource() = default;
    virtual std::vector<std::string> SectionNames() = 0;
    virtual std::vector<std::string> SectionLines(const std::string& section) = 0;
};

// Section names, as written in saved jobs (matched without regard to case).
inline constexpr char SavedJobPathsSection[] = "Paths";
inline constexpr char SavedJobSettingsSection[] = "Settings";
inline constexpr char SavedJobToolsSection[] = "Tools";

// A saved job read into values; an empty text is a value not given.
struct SavedJob {
    // [Paths]
    std::string SourceFilePath;
    std::string TargetFilePath;
    std::string TempFolderPath;
    std::string Stream1FilePath;
    std::string Stream2FilePath;
    // [Settings]: the value given for each control, by Ctl.
    std::array<std::optional<std::string>, kControlCount> settings;
    // [Tools]
    std::string VirtualDubPath;
    std::string NanDubPath;
    std::string BesweetPath;
};

// The value part of a "key=value" line: blanks around it removed; a value
// in matching double or single quotes is the text between them (the profile
// routines drop such quotes); otherwise a ";" at its start or after a blank
// or tab starts a comment that runs to the end of the line.
std::string SavedJobValueText(std::string_view raw);

// Reads the sections of a job. Sections and keys are matched without regard
// to case; the first of two equal keys counts (as with the profile
// routines) and the others are warned about. Appends one warning per
// unknown section, unknown key, duplicate and line without "=".
SavedJob ReadSavedJob(SavedJobSource& source, std::vector<std::string>& warnings);

// The window's start-up without the steps that reach outside it: no registry
// preparation and no codec detection. The codec facts are taken so that no
// codec choice is restricted: Divx4FourccIsDivx false, DivxAudioCodecFound
// true. `model` must be new (built on `state`).
void StartSavedJobForm(FormModel& model, ProgramState& state);

// Gives a started form the job's values, in this order: SourceFilePath
// through the source browse button; TargetFilePath and TempFolderPath when
// given, through theirs; Stream1FilePath through the stream-1 browse button;
// the [Settings] values in the order of the control list, each through the
// control's rules (a value the form refuses, for a disabled control, for
// instance, is ignored); Stream2FilePath through the stream-2 browse button.
// A path whose browse button is disabled at that moment (the target without
// a source, stream 2 with ChkStream2 clear) is ignored, and a path box given
// under [Settings] is ignored in favour of [Paths]. Each ignored value
// appends a warning naming its key.
void ApplySavedJob(const SavedJob& job, FormModel& model, std::vector<std::string>& warnings);

// The job's [Tools] paths in place of the ones from the settings file; a
// tool the job does not name keeps its path.
void ApplySavedJobTools(const SavedJob& job, ProgramState& state);

}  // namespace mb
