// Whole encoding runs under Wine: the run driver with the real Windows ports
// (files, processes, registry, clock, system information), the form model
// set as a user sets the main window, and the stand-ins of VirtualDub,
// Nandub and BeSweet in place of the encoders. The windows a run shows,
// its message boxes, the tray icon and the shutdown are recorded instead.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <regex>
#include <string>
#include <vector>

#include "../win32/standin_process.h"
#include "../win32/win32_test_support.h"
#include "model/form_model.h"
#include "model/program_state.h"
#include "codecstate/binary_text.h"
#include "env/files_win32.h"
#include "env/os_version.h"
#include "env/registry_win32.h"
#include "env/system_win32.h"
#include "env/tool_paths.h"
#include "jobs/fakeavi_win32.h"
#include "run/process_win32.h"
#include "run/run_driver.h"
#include "standin/encoder_job.h"
#include "standin/media_files.h"
#include "standin/standin_common.h"
#include "standin/trace.h"

namespace mb::e2e {

// The files a run keeps in the root of drive C, whatever the paths chosen.
inline const char* const kRootFiles[] = {
    "c:\\jobpass.vcf", "c:\\jobpass1.vcf",      "c:\\jobpass2.vcf",       "c:\\jobpass3.vcf",
    "c:\\wav2wma.vcf", "c:\\AudioMux.vcf",      "c:\\fake.avi",           "C:\\Divx3stats.stats",
    "C:\\Marobex_Stream1.log", "C:\\Marobex_Stream2.log"};

// The progress and main windows as a run drives them.
struct RecordingView : RunView {
    std::vector<std::string> events;  // hide/show of the windows, log clearing
    std::vector<std::string> log;
    std::vector<std::string> queue;

    void HideMainWindow() override { events.push_back("hide main window"); }
    void ShowMainWindow() override { events.push_back("show main window"); }
    void ShowProgressWindow() override { events.push_back("show progress window"); }
    void ClearLog() override {
        events.push_back("clear log");
        log.clear();
    }
    void AppendLog(const std::string& line) override { log.push_back(line); }
    void ClearQueue() override { queue.clear(); }
    void AddQueueEntry(const std::string& entry) override { queue.push_back(entry); }
    void RemoveFirstQueueEntry() override {
        if (!queue.empty()) queue.erase(queue.begin());
    }
};

struct RecordingTray : TrayPort {
    std::vector<std::string> events;
    void StartSystray() override { events.push_back("icon added"); }
    void DeleteSystray() override { events.push_back("icon removed"); }
};

// Never shuts anything down; remembers that it was asked.
struct RecordingShutdown : ShutdownPort {
    std::vector<std::int32_t> requests;
    bool ShutdownSystem(std::int32_t flags) override {
        requests.push_back(flags);
        return true;
    }
};

// A DWORD under HKEY_CURRENT_USER; nullopt when the value is absent.
inline std::optional<DWORD> ReadUserDword(const std::string& subKey, const std::string& name) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, subKey.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return std::nullopt;
    DWORD value = 0, type = 0, size = sizeof value;
    const LONG r = RegQueryValueExA(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
    RegCloseKey(key);
    if (r != ERROR_SUCCESS || type != REG_DWORD) return std::nullopt;
    return value;
}

// The size of a file in KB as the run measures it (0 when it is missing).
inline std::int64_t KbOf(const std::string& path) {
    const std::int64_t bytes = FilesW32().FileSize(path);
    return bytes < 0 ? 0 : bytes / 1024;
}

// One line of the trace per program run: who ran what. Encoders name their
// job file, BeSweet the file it was to write.
inline std::string RunSummary(const TraceRecord& r) {
    if (r.program == "BeSweet") return "BeSweet -> " + r.Value("output");
    return r.program + " " + r.Value("job file");
}

// The encoding log's fixed blocks, as the progress window shows them. A
// "{time}" in a line stands for an "hh:mm:ss" duration, which depends on
// how fast this machine runs the stand-ins.
inline const std::string kDashes(10, '-');
inline const std::string kRule(40, '_');

inline std::string OsLine() {
    OsVersionInfo os;
    GetOsVersionInfo(os);
    return OsLogLine(os);
}

inline std::vector<std::string> InitLog(const std::string& codec, const std::string& mode, int bitrate) {
    return {"[ CODEC ]", kDashes, "", "Name  :   " + codec, "Mode   :   " + mode,
            "Bitrate :   " + std::to_string(bitrate) + " Kbt/s", "", OsLine(), "", " Status Encoding : START",
            kRule};
}

inline std::vector<std::string> PassLog(const std::string& pass) {
    return {" Start " + pass + " Pass Encoding ...", " End " + pass + " Pass Encoding ...", kDashes,
            "Duration : {time}", kRule};
}

inline std::vector<std::string> CloseLog(std::int64_t finalKb) {
    return {kRule, "", " Total Time Encoding : {time}", " Final Size File : " + std::to_string(finalKb) + " Kbt",
            "", " Status Encoding : FINISH"};
}

inline std::vector<std::string> Join(std::initializer_list<std::vector<std::string>> blocks) {
    std::vector<std::string> out;
    for (const auto& b : blocks) out.insert(out.end(), b.begin(), b.end());
    return out;
}

// Compares the log with the expected lines, "{time}" matching any duration,
// and returns the durations in seconds, in order.
inline std::vector<int> ExpectLog(const std::vector<std::string>& actual, const std::vector<std::string>& expected) {
    std::vector<int> times;
    EXPECT_EQ(actual.size(), expected.size());
    static const std::regex kTime("(\\d\\d):(\\d\\d):(\\d\\d)");
    for (std::size_t i = 0; i < actual.size() && i < expected.size(); ++i) {
        const std::string& want = expected[i];
        const std::size_t at = want.find("{time}");
        if (at == std::string::npos) {
            EXPECT_EQ(actual[i], want) << "log line " << i;
            continue;
        }
        std::smatch m;
        const std::string tail = actual[i].size() >= at ? actual[i].substr(at) : std::string();
        if (actual[i].compare(0, at, want, 0, at) != 0 || !std::regex_match(tail, m, kTime)) {
            ADD_FAILURE() << "log line " << i << ": \"" << actual[i] << "\" is not \"" << want << "\"";
            continue;
        }
        times.push_back(std::stoi(m[1]) * 3600 + std::stoi(m[2]) * 60 + std::stoi(m[3]));
    }
    return times;
}

// A run set up as a user does it: the settings file's tool paths (here the
// stand-ins), the program folder with Priority.exe, the start-up of the main
// window, then the controls and browse buttons; "&Start Encode" runs the
// driver with the real Windows ports. Sources and results live in a scratch
// folder on drive C, the encoders' trace beside them.
class EndToEnd : public ::testing::Test {
protected:
    // How long the stand-ins' video and audio last, and how long their status
    // window stays; Priority.exe gives up quickly when there is no window to
    // find (tests without a display).
    virtual const char* StandinSeconds() const { return "2"; }
    virtual const char* WindowMs() const { return "0"; }
    virtual const char* PriorityTimeoutMs() const { return "1500"; }

    void SetUp() override {
        for (const char* f : kRootFiles) DeleteFileA(f);
        scratch_.emplace("C:\\marobex_e2e");
        trace_ = Dir("trace.txt");
        SetEnvironmentVariableA("MAROBEX_STANDIN_TRACE", trace_.c_str());
        SetEnvironmentVariableA("MAROBEX_STANDIN_SECONDS", StandinSeconds());
        SetEnvironmentVariableA("MAROBEX_STANDIN_WINDOW_MS", WindowMs());
        SetEnvironmentVariableA("MAROBEX_PRIORITY_TIMEOUT_MS", PriorityTimeoutMs());
        // A machine where VirtualDub has never run: the start-up must mark its
        // welcome notice as seen, or every encoder would stop on it.
        standin_test::SetSeenWelcome(0);
        // Left from an earlier run: the start-up deletes the codec's keys.
        SetRegistryDword(HKEY_CURRENT_USER, "Software\\DivXNetworks\\DivX412Codec", "Postprocessing", 60);

        state_.ProgramFolder = testing::TestProgramFolder();
        state_.VirtualDubPath = standin_test::StandinExe("VirtualDub.exe");
        state_.NanDubPath = standin_test::StandinExe("NanDub.exe");
        state_.BesweetPath = standin_test::StandinExe("BeSweet.exe");

        // Every codec and the DivX audio codec found, as on a machine that
        // has them; the encoders are the stand-ins.
        CodecCheckResult found;
        found.divx4 = found.divx5 = found.xvid = found.divx3Low = found.divx3Fast = found.listRead = true;
        model_.RunStartup({[this] { PrepareToolRegistry(registry_); },
                           [this, found] { model_.ApplyCodecCheck(found, true); }});

        ASSERT_TRUE(standin_test::WriteBytes(Dir("film.avi"), SampleAvi()));
        ASSERT_TRUE(standin_test::WriteBytes(Dir("film.ac3"), std::string(96000, '\x0B')));  // 2 s of AC3
        ASSERT_TRUE(standin_test::WriteBytes(Dir("voice.ac3"), std::string(48000, '\x0B')));
        ASSERT_TRUE(standin_test::WriteBytes(Dir("film.mpa"), Mp3Bytes(48000, 192, 192, 2)));
        BrowseSource(Dir("film.avi"));
    }

    void TearDown() override {
        for (const char* f : kRootFiles) DeleteFileA(f);
        scratch_.reset();
        for (const char* v : {"MAROBEX_STANDIN_TRACE", "MAROBEX_STANDIN_SECONDS", "MAROBEX_STANDIN_WINDOW_MS",
                              "MAROBEX_PRIORITY_TIMEOUT_MS"})
            SetEnvironmentVariableA(v, nullptr);
        standin_test::SetSeenWelcome(1);
    }

    static std::string SampleAvi() {
        AviSpec avi;
        avi.width = 64;
        avi.height = 48;
        avi.frames = 10;
        avi.videoBytes = 10 * 64 * 48 * 3;
        return AviBytes(avi);
    }

    std::string Dir(const std::string& name) const { return *scratch_ / name; }

    // ---- The user at the main window ------------------------------------
    // A value as a user gives it: refused, like a click that cannot happen,
    // when the control or button is disabled.
    void Set(Ctl c, const std::string& value) {
        std::string warning;
        EXPECT_TRUE(model_.SetFromText(c, value, warning)) << warning;
    }
    void Set(Ctl c, int value) { Set(c, std::to_string(value)); }

    void BrowseSource(const std::string& path) { model_.BrowseSource(path); }
    void BrowseTarget(const std::string& path) {
        ASSERT_TRUE(model_.CommandEnabled(Command::cmdBrowseTgt));
        model_.BrowseTarget(path);
    }
    void BrowseStream1(const std::string& path) {
        ASSERT_TRUE(model_.Enabled(Ctl::TxtStream1));
        model_.BrowseStream1(path);
    }
    void BrowseStream2(const std::string& path) {
        ASSERT_TRUE(model_.CommandEnabled(Command::CmdBrowseStream2));
        model_.BrowseStream2(path);
    }

    // Chooses the codec, and the passes where the codec lets the user.
    void ChooseVideo(int codec, int passes) {
        Set(Ctl::OptCodec, codec);
        if (codec != 3) Set(Ctl::CmbNumPass, passes == 1 ? 0 : 1);
        if (passes == 3) Set(Ctl::ChkDivx4Pass3, 1);
    }

    // ---- "&Start Encode" --------------------------------------------------
    RunOutcome StartEncode() {
        ports_.fakeAvi = LoadFakeAviResource();
        return mb::StartEncode(model_.Settings(), state_, ports_);
    }

    std::vector<TraceRecord> Trace() const { return ReadTraceRecords(standin_test::ReadBytes(trace_)); }

    static std::vector<std::string> Summaries(const std::vector<TraceRecord>& records) {
        std::vector<std::string> out;
        for (const TraceRecord& r : records) out.push_back(RunSummary(r));
        return out;
    }

    // Every program of the run did its whole job.
    static void ExpectAllDone(const std::vector<TraceRecord>& records) {
        for (const TraceRecord& r : records)
            EXPECT_EQ(r.Value("result"), "done") << RunSummary(r) << ": " << r.Value("error");
    }

    // The path of the one file a record says it wrote ("" when none or many).
    static std::string WrotePath(const TraceRecord& r) {
        const auto wrote = r.Values("wrote");
        if (wrote.size() != 1) return {};
        const auto entry = ParseWrittenEntry(wrote[0]);
        return entry ? entry->path : std::string();
    }
    static std::int64_t WroteBytes(const TraceRecord& r) {
        const auto wrote = r.Values("wrote");
        if (wrote.empty()) return -1;
        const auto entry = ParseWrittenEntry(wrote.back());
        return entry ? entry->size : -1;
    }

    // The codec state of a pass as the encoder received it (hex), from the
    // state text the run wrote into its job.
    static std::string StateHex(const std::string& text, std::size_t length) {
        const auto bytes = DecodeBase64(text);
        return bytes && bytes->size() >= length ? HexBytes(bytes->substr(0, length)) : std::string("(none)");
    }

    static AviSummary ReadAviFile(const std::string& path) {
        AviSummary s;
        std::string problem;
        EXPECT_TRUE(ReadAvi(standin_test::ReadBytes(path), s, problem)) << path << ": " << problem;
        return s;
    }

    std::string BesweetLine(const std::string& arguments) const { return state_.BesweetPath + " " + arguments; }
    std::string EncoderLine(const std::string& program, const std::string& job) const {
        return program + " /r /x /s" + job;
    }

    std::optional<testing::ScratchFolder> scratch_;
    std::string trace_;
    ProgramState state_;
    FormModel model_{state_};

    testing::RecordingMessages messages_;
    ProcessesW32 processes_;
    RegistryW32 registry_;
    FilesW32 files_;
    ClockW32 clock_;
    RecordingTray tray_;
    RecordingShutdown shutdown_;
    SystemInfoW32 system_;
    RecordingView view_;
    RunPorts ports_{messages_, processes_, registry_, files_, clock_, tray_, shutdown_, system_, view_,
                    NumberFormat{}, {}};
};

}  // namespace mb::e2e
