// The run driver against tests/data/runs/scenarios.txt: each scenario is a
// row of steps, the window's values ("Name=value" as the control holds it)
// and what the world around the run does; the file holds after each row how
// the run ended, everything it asked of the ports in order with its queue,
// its log (but for the codec's header) and its messages, and the files it
// left. MAROBEX_UPDATE_GOLDEN=1 writes the file anew from what the run does
// now: review the difference.
#include <gtest/gtest.h>

#include <map>
#include <stdexcept>

#include "env/engine_paths.h"
#include "fakes/fakes.h"
#include "model/form_model.h"
#include "run/job_queue.h"
#include "run/run_driver.h"

using namespace mb;
using mb::fakes::Lines;

namespace {

// The world that writes down the run's view and the ends of its programs
// among the other events.
struct Recorder : fakes::World, RunLockPort {
    bool header = false, locked = false;
    int held = 0;
    void ShowMessage(const std::string& text, MessageIcon icon) override {
        World::ShowMessage(text, icon);
        const char* names[] = {"none", "exclamation", "information", "critical"};
        events.back() = "message (" + std::string(names[static_cast<int>(icon)]) + "): " + text;
    }
    void AppendLog(const std::string& line) override {
        World::AppendLog(line);
        // The codec's header is the golden jobs' to check.
        header = (header || line == "[ CODEC ]") && line != " Status Encoding : START";
        if (!header) events.push_back("log: " + line);
    }
    void AddQueueEntry(const std::string& entry) override {
        World::AddQueueEntry(entry);
        events.push_back("queue: " + entry);
    }
    ProgramEnd ShellAndWait(const ProgramCommand& command, int style, EndBy endBy, std::string& reason,
                            std::uint32_t& exitStatus) override {
        const ProgramEnd end = World::ShellAndWait(command, style, endBy, reason, exitStatus);
        const char* ends[] = {"ended", "not started", "quit", "cancelled"};
        if (end != ProgramEnd::Ended || exitStatus != 0)
            events.push_back(std::string("  ") + ends[static_cast<int>(end)] + ", exit status " + std::to_string(exitStatus) +
                             (end != ProgramEnd::Cancelled       ? ""
                              : endBy == EndBy::EngineAbort ? ", through the engine's Abort"
                                                            : ", its windows closed"));
        return end;
    }
    bool TryLock() override { return !locked && ++held; }
    void Unlock() override { --held; }
};

struct Scenario {
    Recorder w;
    ProgramState st;
    EncodeSettings s;
    Lines shown;  // files whose lines the transcript gives
    JobQueue queue;
    bool queued = false;

    Scenario() {
        st.ProgramFolder = "C:\\Tools";
        st.VirtualDubPath = "C:\\vd\\VirtualDub.exe";
        st.NanDubPath = "C:\\nd\\NanDub.exe";
        st.BesweetPath = "C:\\bs\\BeSweet.exe";
        FormModel form(st);
        form.RunStartup({});
        form.BrowseSource("D:\\v\\movie.avs");
        s = form.Settings();
        w.files["D:\\v\\movie.avs"] = "source";
    }

    // "{CRLF}" in a step's text is a line end.
    static std::string Text(std::string t) {
        for (std::size_t at; (at = t.find("{CRLF}")) != std::string::npos;) t.replace(at, 6, "\r\n");
        return t;
    }
    std::string* StatePath(const std::string& name) {
        const std::map<std::string, std::string ProgramState::*> paths = {
            {"SourceFilePath", &ProgramState::SourceFilePath}, {"TargetFilePath", &ProgramState::TargetFilePath},
            {"TempFolderPath", &ProgramState::TempFolderPath}, {"Stream1FilePath", &ProgramState::Stream1FilePath},
            {"Stream2FilePath", &ProgramState::Stream2FilePath}, {"VirtualDubPath", &ProgramState::VirtualDubPath}};
        return &(st.*paths.at(name));
    }

    // One step: "Name=value" of a control; "state.Field=value" a path of
    // the program; "file P=text", "append P=text", "size P=bytes[K]" what is
    // at a path; "engine" Marobex's engine as VirtualDub; "silent K",
    // "exit K=n", "quit K", "cancel K" what the program whose command line
    // holds K does (leaves no result, or not after its first n runs with "=n"; ends so, Marobex quits, Cancel comes);
    // "missing P" a program that cannot start; "failwrite P=reason";
    // "clock t..." the clock's readings; "registryfail text";
    // "shutdownfails"; "locked" another run holds the lock; "queue P; Name=v..."
    // a job of source P with those settings for the queue, which then runs
    // instead; "move I BY" a job of it; "show P" the
    // file's lines at the end; "during K => step" a step taken while the
    // program whose command line holds K runs ("throw text", "cancel").
    void Do(const std::string& step) {
        const std::size_t blank = step.find(' ');
        const std::string verb = step.substr(0, blank), rest = blank == std::string::npos ? "" : step.substr(blank + 1);
        const std::size_t eq = rest.find('=');
        const std::string key = rest.substr(0, eq), value = eq == std::string::npos ? "" : Text(rest.substr(eq + 1));
        if (verb == "during") {
            const std::size_t arrow = rest.find(" => ");
            const std::string then = rest.substr(arrow + 4);
            w.programs.push_back({rest.substr(0, arrow), [this, then] { Do(then); }});
        } else if (verb == "file") {
            w.files[key] = value;
        } else if (verb == "append") {
            w.files[key] += value;
        } else if (verb == "size") {
            w.sizes[key] = std::stoll(value) * (value.back() == 'K' ? 1024 : 1);
        } else if (verb == "engine") {
            st.VirtualDubPath = "C:\\Marobex\\marobex-engine.exe";
            w.files[st.VirtualDubPath] = "MZ";
            w.products[st.VirtualDubPath] = EngineProductName;
        } else if (verb == "silent") {
            w.silent.push_back(key);
            if (eq != std::string::npos)  // only its first n runs
                w.programs.push_back({key, [this, key, runs = std::stoi(value)]() mutable {
                                          if (runs-- <= 0) std::erase(w.silent, key);
                                      }});
        } else if (verb == "queue") {
            std::string text = "[Paths]\nSourceFilePath=" + rest.substr(0, rest.find("; ")) + "\n[Settings]\n";
            for (std::size_t at = rest.find("; "); at != std::string::npos; at = rest.find("; ", at + 2))
                text += rest.substr(at + 2, rest.find("; ", at + 2) - at - 2) + "\n";
            fakes::TextSavedJobSource source(text);
            std::vector<std::string> warnings;
            queue.Add(ReadSavedJob(source, warnings));
            queued = true;
        } else if (verb == "move") {
            const bool moved = queue.Move(std::stoi(rest), std::stoi(rest.substr(rest.find(' '))));
            w.events.push_back("move " + rest + (moved ? ": moved" : ": refused"));
        } else if (verb == "exit") {
            w.exitStatuses.push_back({key, static_cast<std::uint32_t>(std::stoul(value))});
        } else if (verb == "quit") {
            w.quitDuring = rest;
        } else if (verb == "cancel") {
            if (rest.empty()) w.cancelled = true;
            else w.cancelDuring = rest;
        } else if (verb == "missing") {
            w.missingPrograms.push_back(rest);
        } else if (verb == "failwrite") {
            w.failWrites[key] = value;
        } else if (verb == "clock") {
            for (std::size_t at = 0; at < rest.size(); at = rest.find(' ', at) + 1) {
                w.clockReadings.push_back(std::stoll(rest.substr(at)));
                if (rest.find(' ', at) == std::string::npos) break;
            }
        } else if (verb == "registryfail") {
            w.registryFailure = rest;
        } else if (verb == "shutdownfails") {
            w.throwOnShutdown = true;
        } else if (verb == "locked") {
            w.locked = true;
        } else if (verb == "show") {
            shown.push_back(rest);
        } else if (verb == "throw") {
            throw std::runtime_error(rest);
        } else if (step.rfind("state.", 0) == 0) {
            *StatePath(step.substr(6, step.find('=') - 6)) = Text(step.substr(step.find('=') + 1));
        } else {
            const Ctl c = FindControl(step.substr(0, step.find('=')));
            const std::string v = Text(step.substr(step.find('=') + 1));
            if (std::string* text = TextField(s, c)) *text = v;
            else *IntField(s, c) = std::stoi(v);
            const std::pair<Ctl, std::string*> boxes[] = {{Ctl::txtTarget, &st.TargetFilePath},
                                                          {Ctl::TxtStream1, &st.Stream1FilePath},
                                                          {Ctl::TxtStream2, &st.Stream2FilePath}};
            for (const auto& [box, path] : boxes)
                if (c == box) *path = v;
        }
    }

    // The queue's file after each change, then its jobs as a restart reads them.
    std::string RunTheQueue(RunPorts& ports) {
        const std::string path = QueueFilePath(st);
        const QueueOutcome o = RunQueue(queue, st, ports, true, [&] {
            EXPECT_TRUE(queue.Save(w, path));
            std::string states;
            const JobQueue saved = JobQueue::FromLines(fakes::SplitLines(w.files[path]));
            for (const QueuedJob& q : saved.Jobs())
                states += std::string(states.empty() ? "" : ", ") + QueuedJobStateText(q.state);
            w.events.push_back("queue file: " + states);
        });
        std::string out = "outcome: " + std::to_string(o.done) + " done, " + std::to_string(o.refused) + " refused, " +
                          std::to_string(o.failed) + " failed, " + std::to_string(o.stopped) + " stopped\n";
        const JobQueue restarted = JobQueue::FromLines(fakes::SplitLines(w.files[path]));
        for (const QueuedJob& q : restarted.Jobs()) {
            const QueueRow r = DescribeJob(q, st);
            w.events.push_back("job: " + r.source + " | " + r.target + " | " + r.codec + " | " + r.passes + " | " + r.state);
        }
        return out;
    }

    std::string Run(const std::string& row) {
        for (const std::string& step : fakes::SplitSteps(row)) Do(step);
        RunPorts ports = w.Ports();
        ports.runLock = &w;
        const std::map<std::string, std::string> before = w.files;
        const std::map<std::string, std::int64_t> sizesBefore = w.sizes;
        std::string out;
        try {
            const char* outcomes[] = {"refused", "stopped", "finished", "failed", "stopped by the user", "cancelled"};
            if (queued) out = RunTheQueue(ports);
            else out = std::string("outcome: ") + outcomes[static_cast<int>(StartEncode(s, st, ports))] + "\n";
        } catch (const std::exception& e) {
            out = std::string("outcome: threw ") + e.what() + "\n";
        }
        for (const std::string& e : w.events) out += e + "\n";
        if (w.held != 0) out += "the run lock is still held\n";
        // The files the run wrote (+), changed (~) or removed (-); short texts in full.
        for (const auto& [path, bytes] : w.files) {
            const auto it = before.find(path);
            if (it != before.end() && it->second == bytes) continue;
            const bool brief = bytes.size() <= 40 && bytes.find_first_of("\r\n") == std::string::npos;
            out += (it == before.end() ? "+ " : "~ ") + path + (brief ? " = " + bytes : "") + "\n";
        }
        for (const auto& [path, bytes] : before)
            if (!w.files.count(path)) out += "- " + path + "\n";
        for (const auto& [path, size] : w.sizes)
            if (!sizesBefore.count(path) || sizesBefore.at(path) != size)
                out += "+ " + path + ": " + std::to_string(size) + " bytes\n";
        for (const std::string& path : shown)
            for (const std::string& line : fakes::SplitLines(w.files[path])) out += path + ": " + line + "\n";
        return out;
    }
};

}  // namespace

TEST(RunScenarios, EveryScenarioEndsAsRecorded) {
    const auto rows = fakes::RecordedRows("runs/scenarios.txt", [](const std::string& row) { return Scenario().Run(row); });
    ASSERT_FALSE(rows.recorded.empty());
    EXPECT_EQ(rows.got, rows.recorded);
}
