// Shared pieces of the form model tests.
#pragma once

#include <string>
#include <vector>

#include "model/form_model.h"

namespace mb::test {

// Writes down every change the model reports, one line each.
struct Recorder : FormObserver {
    std::vector<std::string> events;

    static std::string N(Ctl c) { return Control(c).name; }
    void OnValueChanged(Ctl c) override { events.push_back("value " + N(c)); }
    void OnEnabledChanged(Ctl c) override { events.push_back("enabled " + N(c)); }
    void OnButtonChanged(Ctl g, int b) override { events.push_back("button " + N(g) + std::to_string(b)); }
    void OnBackColourChanged(Ctl c) override { events.push_back("colour " + N(c)); }
    void OnLabelChanged(Label l) override { events.push_back("label " + std::to_string(static_cast<int>(l))); }
    void OnPanelChanged(Panel p) override { events.push_back("panel " + std::to_string(static_cast<int>(p))); }
    void OnTabChanged(TabStrip t) override { events.push_back("tab " + std::to_string(static_cast<int>(t))); }
    void OnCommandChanged(Command b) override { events.push_back("command " + std::to_string(static_cast<int>(b))); }
    void OnRuleStarted(Ctl c) override { events.push_back("rule+ " + N(c)); }
    void OnRuleFinished(Ctl c) override { events.push_back("rule- " + N(c)); }

    int Count(const std::string& prefix) const {
        int n = 0;
        for (const std::string& e : events) n += e.rfind(prefix, 0) == 0;
        return n;
    }
};

// A model after the window's start-up, with no outside steps.
struct StartedForm {
    ProgramState state;
    FormModel form{state};
    StartedForm() { form.RunStartup({}); }
};

}  // namespace mb::test
