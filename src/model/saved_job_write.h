// Writing saved jobs: the window's job as a job file that marobex-cli and
// "Open Job..." read back into the same settings, and the text of job files
// read without the profile routines (the queue file keeps several jobs in
// one file).
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "model/form_model.h"
#include "model/program_state.h"
#include "model/saved_job.h"

namespace mb {

// The job on the window: the paths of the browse buttons under [Paths], and
// under [Settings] every control that takes a value from a job (path boxes
// and the never shown split controls left out) and is enabled, with its
// value. Disabled controls are left out: a job file could not set them, and
// loading leaves them as the rules do. No [Tools]: a job runs with the
// program's tool paths.
SavedJob JobFromForm(const FormModel& form, const ProgramState& state);

// A value as it stands after "key=" so that the reader gives back exactly
// `value`: as it is, or in double or single quotes when blanks around it, a
// comment ";" or a leading quote would change it.
std::string JobFileValue(const std::string& value);

// The text of a job file, CR LF line ends. sectionPrefix goes before each
// section name ("Job 2 " gives [Job 2 Paths]); empty values are left out.
std::string SavedJobText(const SavedJob& job, const std::string& sectionPrefix = "");

// A job file's text split into sections as the profile routines give them:
// section names matched without regard to case, the first of two equal names
// counting, lines before the first section ignored.
class TextJobFile : public SavedJobSource {
public:
    explicit TextJobFile(const std::vector<std::string>& lines);
    std::vector<std::string> SectionNames() override;
    std::vector<std::string> SectionLines(const std::string& section) override;

private:
    std::vector<std::pair<std::string, std::vector<std::string>>> sections_;
};

// The sections of `all` whose names begin with `prefix`, under their names
// without it: one job of a file that holds several.
class PrefixedJobSource : public SavedJobSource {
public:
    PrefixedJobSource(SavedJobSource& all, std::string prefix) : all_(all), prefix_(std::move(prefix)) {}
    std::vector<std::string> SectionNames() override;
    std::vector<std::string> SectionLines(const std::string& section) override;

private:
    SavedJobSource& all_;
    std::string prefix_;
};

}  // namespace mb
