// The form model against tests/data/form/scenarios.txt: each scenario is a
// row of steps a user takes (values typed or picked, browse buttons, tabs,
// the codec check); the file holds the whole form after the layout and after
// start-up, and for every other scenario what differs from the started form,
// the warnings of refused values and what the observers were told of the
// last step.
#include <gtest/gtest.h>

#include <map>
#include <sstream>

#include "fakes/fakes.h"
#include "model/form_model.h"

using namespace mb;
using mb::fakes::Lines;
using mb::fakes::SplitLines;

namespace {

const char* const kLabels[] = {"LbPE", "lbPreProc", "LbFM", "LbLM", "LbAmpliStream1", "LbAmpliStream2"};
const char* const kPanels[] = {"FrmDivx5", "FrmDivx4", "SSTabDivx3Panel", "SSTabXividPanel"};
const char* const kTabs[] = {"SSTabMain", "SSTabDivx3Panel", "SSTabXividPanel"};
const char* const kCommands[] = {"cmdBrowseTgt", "CmdBrowseStream2"};

struct Events : FormObserver {
    Lines seen;
    static std::string N(Ctl c) { return Control(c).name; }
    void OnValueChanged(Ctl c) override { seen.push_back("value " + N(c)); }
    void OnEnabledChanged(Ctl c) override { seen.push_back("enabled " + N(c)); }
    void OnButtonChanged(Ctl g, int b) override { seen.push_back("button " + N(g) + std::to_string(b)); }
    void OnBackColourChanged(Ctl c) override { seen.push_back("colour " + N(c)); }
    void OnLabelChanged(Label l) override { seen.push_back(std::string("label ") + kLabels[static_cast<int>(l)]); }
    void OnPanelChanged(Panel p) override { seen.push_back(std::string("panel ") + kPanels[static_cast<int>(p)]); }
    void OnTabChanged(TabStrip t) override { seen.push_back(std::string("tab ") + kTabs[static_cast<int>(t)]); }
    void OnCommandChanged(Command b) override { seen.push_back(std::string("command ") + kCommands[static_cast<int>(b)]); }
    void OnRuleStarted(Ctl c) override { seen.push_back("rule+ " + N(c)); }
    void OnRuleFinished(Ctl c) override { seen.push_back("rule- " + N(c)); }
};

// Everything the window shows of the form, one line per thing.
Lines Dump(const FormModel& form, const ProgramState& state) {
    Lines out;
    for (int i = 0; i < kControlCount; ++i) {
        const Ctl c = static_cast<Ctl>(i);
        std::string line = Control(c).name;
        line += Control(c).kind == ControlKind::Text ? " \"" + form.Text(c) + "\"" : " " + std::to_string(form.Value(c));
        if (!form.Enabled(c)) line += " disabled";
        if (!form.Visible(c)) line += " hidden";
        if (form.BackColourOf(c) == BackColour::Light3D) line += " grey";
        for (int b = 0; b < FormModel::ButtonCount(c); ++b) {
            if (!form.ButtonEnabled(c, b)) line += " button" + std::to_string(b) + "-disabled";
            if (!form.ButtonVisible(c, b)) line += " button" + std::to_string(b) + "-hidden";
        }
        out.push_back(line);
    }
    for (int i = 0; i < kLabelCount; ++i) out.push_back(std::string("label ") + kLabels[i] + " " + form.LabelText(static_cast<Label>(i)));
    for (int i = 0; i < kPanelCount; ++i)
        out.push_back(std::string("panel ") + kPanels[i] + (form.PanelVisible(static_cast<Panel>(i)) ? " shown" : " hidden"));
    for (int i = 0; i < kTabStripCount; ++i)
        out.push_back(std::string("tab ") + kTabs[i] + " " + std::to_string(form.SelectedTab(static_cast<TabStrip>(i))));
    for (int i = 0; i < kCommandCount; ++i)
        out.push_back(std::string("command ") + kCommands[i] + (form.CommandEnabled(static_cast<Command>(i)) ? " on" : " off"));
    const std::pair<const char*, const std::string*> paths[] = {
        {"Source", &state.SourceFilePath},   {"Target", &state.TargetFilePath},   {"Temp", &state.TempFolderPath},
        {"Stream1", &state.Stream1FilePath}, {"Stream2", &state.Stream2FilePath},
    };
    for (const auto& [name, path] : paths) out.push_back(std::string("path ") + name + " \"" + *path + "\"");
    out.push_back(std::string("DivxAudioCodecFound ") + (state.DivxAudioCodecFound ? "1" : "0"));
    return out;
}

// One step: "Name=value" as typed or picked, "source=", "target=", "temp=",
// "stream1=", "stream2=" a browse button's choice (empty: cancelled),
// "tab.<strip>=n", "codecs=<found...>" the codec check's result.
void Step(FormModel& form, const std::string& step, Lines& out) {
    const std::string name = step.substr(0, step.find('=')), value = step.substr(step.find('=') + 1);
    const std::map<std::string, void (FormModel::*)(std::string_view)> browse = {
        {"source", &FormModel::BrowseSource},   {"target", &FormModel::BrowseTarget},
        {"temp", &FormModel::BrowseTempFolder}, {"stream1", &FormModel::BrowseStream1},
        {"stream2", &FormModel::BrowseStream2}};
    if (auto it = browse.find(name); it != browse.end()) return (form.*it->second)(value);
    for (int t = 0; t < kTabStripCount; ++t)
        if (name == std::string("tab.") + kTabs[t]) return form.SelectTab(static_cast<TabStrip>(t), std::stoi(value));
    if (name == "codecs") {
        CodecCheckResult r;
        const std::string found = " " + value + " ";
        const auto has = [&found](const char* w) { return found.find(std::string(" ") + w + " ") != std::string::npos; };
        r.divx4 = has("divx4"), r.divx5Pro = has("divx5pro"), r.divx5 = has("divx5"), r.xvid = has("xvid");
        r.divx3Low = has("divx3low"), r.divx3Fast = has("divx3fast"), r.listRead = true;
        return form.ApplyCodecCheck(r, has("audio"));
    }
    std::string warning;
    if (!form.SetFromText(FindControl(name), value, warning)) out.push_back("warning: " + warning);
}

std::string RunScenario(const std::string& scenario) {
    ProgramState state;
    FormModel form(state);
    if (scenario != "layout") form.RunStartup({});
    const Lines started = Dump(form, state);
    Lines out;
    Events events;
    const bool whole = scenario == "layout" || scenario == "startup";
    const Lines steps = whole ? Lines{} : fakes::SplitSteps(scenario);
    for (std::size_t i = 0; i < steps.size(); ++i) {
        if (i + 1 == steps.size()) form.AddObserver(&events);
        Step(form, steps[i], out);
    }
    const Lines now = Dump(form, state);
    for (std::size_t i = 0; i < now.size(); ++i)
        if (whole || now[i] != started[i]) out.push_back(now[i]);
    if (!events.seen.empty()) {
        std::string told = "told:";
        for (const std::string& e : events.seen) told += " " + e + ";";
        out.push_back(told);
    }
    std::string text;
    for (const std::string& l : out) text += l + "\n";
    return text;
}

}  // namespace

TEST(Form, EveryScenarioEndsAsRecorded) {
    const auto rows = fakes::RecordedRows("form/scenarios.txt", RunScenario);
    ASSERT_FALSE(rows.recorded.empty());
    EXPECT_EQ(rows.got, rows.recorded);
}
