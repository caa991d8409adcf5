// Small functions of the core and the engine against the recorded rows of
// tests/data/functions.txt: "== Name | argument | ..." and what the call
// gives, both with "{hh}" for bytes that do not print.
#include <gtest/gtest.h>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <functional>
#include <map>

#include "engine_plan.h"
#include "ffmpeg_progress.h"
#include "media_files.h"
#include "simulation.h"
#include "video_settings.h"
#include "env/codec_detection.h"
#include "env/engine_paths.h"
#include "env/command_text.h"
#include "env/os_version.h"
#include "env/priority_commands.h"
#include "env/tool_paths.h"
#include "fakes/fakes.h"
#include "codecstate/codec_state.h"
#include "codecstate/codec_state_reader.h"
#include "codecstate/codec_templates.h"
#include "jobs/besweet.h"
#include "jobs/riff_writer.h"
#include "jobs/source_facts.h"
#include "model/form_model.h"
#include "model/numbers.h"
#include "model/text.h"
#include "run/encode_log.h"
#include "run/run_progress.h"
#include "run/shutdown.h"

using namespace mb;

namespace {

using Args = std::vector<std::string>;

std::string Real(double v) {
    char text[64];
    return std::string(text, std::to_chars(text, text + sizeof text, v).ptr);
}
std::string Yes(bool b) { return b ? "yes" : "no"; }
template <class T>
std::string OrNone(const std::optional<T>& v, std::string (*text)(T)) {
    return v ? text(*v) : "none";
}
std::string Whole(std::int32_t v) { return std::to_string(v); }
std::string Count(std::int64_t v) { return std::to_string(v); }
std::string Joined(const std::vector<std::string>& v) {
    std::string out;
    for (const std::string& s : v) out += (out.empty() ? "" : " ") + s;
    return out;
}

// How an FFmpeg run ended, as "key=value" fields of a source of 500 frames.
engine::RunEnd EndOf(const Args& fields) {
    engine::RunEnd e;
    e.expectedFrames = 500;
    for (const std::string& f : fields) {
        const std::string key = f.substr(0, f.find('=')), value = f.substr(f.find('=') + 1);
        if (key == "end") e.sawEnd = true;
        else if (key == "exit") e.exitCode = std::stoul(value, nullptr, 0);
        else if (key == "frames") e.frames = std::stoll(value);
        else if (key == "output") e.outputFrames = std::stoll(value);
        else if (key == "errors") e.decodeErrors = std::stoi(value);
        else if (key == "audio") e.expectedFrames = 0, e.expectedSeconds = 20, e.outTimeUs = std::stoll(value) * 1000000;
    }
    return e;
}

// The system under the shutdown: it refuses with error 1314 when told to,
// and a failed step of the privilege's fails with 1313.
struct Platform : ShutdownPlatform {
    bool nt = true, accept = true;
    PrivilegeResult privilege;
    std::string calls;
    bool IsWinNT() override { return nt; }
    PrivilegeResult EnableShutdownPrivilegeSteps() override {
        calls += "privilege, ";
        return privilege;
    }
    bool RequestShutdown(std::uint32_t flags, std::uint32_t& error) override {
        calls += "exit " + std::to_string(flags) + ", ";
        error = 1314;
        return accept;
    }
    std::string ApiErrorText(std::uint32_t code) override { return "Error " + std::to_string(code) + ".\r\n"; }
};

// The flags, then what differs: "9x" (not NT), "refused", or the privilege's
// step that fails ("lookup", "process", "token").
std::string Shutdown(const Args& a) {
    Platform platform;
    const std::vector<std::string> steps = {"", "lookup", "process", "token"};
    for (std::size_t i = 1; i < a.size(); ++i) {
        platform.nt = platform.nt && a[i] != "9x";
        platform.accept = platform.accept && a[i] != "refused";
        if (const auto it = std::find(steps.begin(), steps.end(), a[i]); it != steps.end())
            platform.privilege = {static_cast<PrivilegeStep>(it - steps.begin()), 1313};
    }
    SystemShutdown port(platform, "C:\\v1.2\\Marobex.new.exe");
    try {
        EXPECT_TRUE(port.ShutdownSystem(std::stoi(a[0])));
        return platform.calls + "shut down";
    } catch (const ShutdownError& e) {
        char number[16];
        std::snprintf(number, sizeof number, "%08X", e.number);
        return platform.calls + "error " + number + " from " + e.source + ": " + e.description;
    }
}

// The header lists of an AVI: main header, one video stream, optionally an
// OpenDML total, then the start of the frames.
std::string AviHeaders(std::uint32_t usPerFrame, std::uint32_t mainFrames, std::uint32_t scale, std::uint32_t rate,
                       std::uint32_t streamFrames, int w, int h, std::uint32_t odmlFrames = 0) {
    std::string out;
    RiffWriter r(out);
    const auto riff = r.Open("RIFF");
    r.Id("AVI ");
    const auto hdrl = r.Open("LIST");
    r.Id("hdrl");
    const auto avih = r.Open("avih");
    for (std::uint32_t v : {usPerFrame, 0u, 0u, 0u, mainFrames, 0u, 1u, 0u, static_cast<std::uint32_t>(w),
                            static_cast<std::uint32_t>(h), 0u, 0u, 0u, 0u})
        r.U32(v);
    r.Close(avih);
    const auto strl = r.Open("LIST");
    r.Id("strl");
    const auto strh = r.Open("strh");
    r.Id("vids");
    r.Id("DIVX");
    for (std::uint32_t v : {0u, 0u, 0u, scale, rate, 0u, streamFrames, 0u, 0u, 0u, 0u, 0u}) r.U32(v);
    r.Close(strh);
    r.Close(strl);
    if (odmlFrames) {
        const auto odml = r.Open("LIST");
        r.Id("odml");
        const auto dmlh = r.Open("dmlh");
        r.U32(odmlFrames);
        r.Close(dmlh);
        r.Close(odml);
    }
    r.Close(hdrl);
    const auto movi = r.Open("LIST");
    r.Id("movi");
    r.Close(movi);
    r.Close(riff);
    return out;
}

// The source's facts from the headers of an AVI: microseconds a frame, the
// main header's frames, the stream's scale, rate and frames, the picture's
// size and an OpenDML total, then "cut N" to keep only N bytes; or a text.
std::string Facts(const Args& a) {
    std::string bytes = a[0];
    if (a.size() >= 7) {
        const auto n = [&](std::size_t i) { return static_cast<std::uint32_t>(std::stoul(a[i])); };
        const bool cut = a.back().rfind("cut ", 0) == 0;
        bytes = AviHeaders(n(0), n(1), n(2), n(3), n(4), std::stoi(a[5]), std::stoi(a[6]), a.size() - cut > 7 ? n(7) : 0);
        if (cut) bytes.resize(std::stoul(a.back().substr(4)));
    }
    const SourceFacts f = ReadAviFacts(bytes);
    return (f.known ? std::to_string(f.frames) + " frames at " + Real(f.fps) + " fps: " : "unknown: ") + SourceFactsText(f);
}

// What a codec panel's label says of a bit rate ("kbps") or a desired size
// ("KB") over 250 frames at 25 fps ("no facts": none), with the audio
// streams: "mp3 K" kbit/s, "ac3 N" bytes as they are, or none.
std::string SizeLabel(const Args& a) {
    SourceFacts facts{true, 250, 25, 320, 240};
    AudioShare audio[2];
    for (std::size_t i = 1, stream = 0; i < a.size(); ++i) {
        if (a[i] == "no facts") facts = {};
        else if (a[i].rfind("mp3 ", 0) == 0) audio[stream++] = {std::stod(a[i].substr(4)) * 1000 / 8, 0};
        else audio[stream++] = {0, std::stoll(a[i].substr(4))};
    }
    const double n = std::stod(a[0]);
    if (a[0].ends_with("KB"))
        return BitrateLabelForSize(n, facts, audio[0], audio[1]) + " | " + Real(BitrateForSize(n, facts, audio[0], audio[1]));
    return SizeLabelForBitrate(n, facts, audio[0], audio[1]) + " | " + Real(TargetBytesForBitrate(n, facts, audio[0], audio[1]));
}

// The window after start-up with D:\\v\\movie.avs chosen, then the edits
// ("Name=value" as the control holds it).
EncodeSettings Window(ProgramState& st, const Args& edits) {
    st.ProgramFolder = "C:\\Tools";
    FormModel form(st);
    form.RunStartup({});
    form.BrowseSource("D:\\v\\movie.avs");
    EncodeSettings s = form.Settings();
    for (const std::string& e : edits) *TextField(s, FindControl(e.substr(0, e.find('=')))) = e.substr(e.find('=') + 1);
    return s;
}

// DivX 4's numbers typed in a number format (its decimal separator, then its
// thousands'), as the codec's record holds them.
std::string Divx4Numbers(const Args& a) {
    ProgramState st;
    EncodeSettings s = Window(st, {a.begin() + 1, a.end()});
    s.OptCodec = 1;
    fakes::World w;
    if (!CreateCompDataDivx4(s, st, w, {a[0][0], a[0][1]})) return "refused: " + w.messages.at(0);
    std::string problem;
    const auto c = ReadCodecSettings(Divx4Layout().recordBytes, st.CompDataPass1, problem);
    return "keyframes " + std::to_string(c->values.at("maximum keyframe interval")) + ", " +
           std::to_string(c->values.at("encoding bitrate in bit/s")) + " bit/s";
}

// The tool paths: "load" from a Marobex.ini ("load without a file") that
// names VirtualDub of the version given ("none": no version) and Nandub; or
// "save" VirtualDub's and BeSweet's paths, then the start-up's registry.
std::string ToolPaths(const Args& a) {
    fakes::World w;
    ProgramState s;
    s.ProgramFolder = "C:\\Marobex";
    const std::string ini = "C:\\Marobex\\Marobex.ini", vdub = "D:\\VDub\\VirtualDub.exe";
    std::string out;
    if (a[0] == "save") {
        s.VirtualDubPath = vdub;
        s.BesweetPath = "D:\\B S\\BeSweet.exe";
        SaveToolPaths(s, w);
        PrepareToolRegistry(w);
    } else {
        if (a[0] == "load") w.files[ini] = "";
        if (a[1] != "none") w.versions[vdub] = a[1];
        w.ini[fakes::World::Slot("path", "virtualdubpath", ini)] = vdub;
        w.ini[fakes::World::Slot("PATH", "NanDubPath", ini)] = "D:\\Nandub\\nandub.exe";
        for (const std::string& line : LoadToolPaths(s, w, w, w)) out += line + "\n";
        out += "paths: \"" + s.VirtualDubPath + "\" \"" + s.NanDubPath + "\" \"" + s.BesweetPath + "\"\n";
    }
    for (const std::string& e : w.events) out += e + "\n";
    for (MessageIcon icon : w.icons) out += icon == MessageIcon::Exclamation ? "icon: exclamation\n" : "icon: other\n";
    return out.substr(0, out.size() - 1);
}

// The codec check with Codec.exe ("no Codec.exe" when it is not there)
// writing the list of the first argument, and these files in the system
// folder (XVID.DLL made on 8 May 2002): the lines shown and what was found.
std::string CodecCheck(const Args& a) {
    fakes::World w;
    ProgramState st;
    st.ProgramFolder = "C:\\Marobex";
    const std::string list = "c:\\Marobex_Codecs.txt", system = "C:\\WINDOWS\\System32\\";
    if (a[0] != "no Codec.exe") w.files["C:\\Marobex\\Codec.exe"] = "MZ";
    w.files[list] = "left from an earlier check";
    for (std::size_t i = 1; i < a.size(); ++i) w.files[system + a[i]] = "dll";
    w.created[system + "XVID.DLL"] = 126653256000000000ULL;
    w.programs.push_back({"Codec.exe", [&] {
                              if (a[0].empty()) w.files.erase(list);
                              else w.files[list] = a[0];
                          }});
    struct Button : CodecCheckButton {
        std::string caption = "Check Installed Codec", log;
        std::string Caption() override { return caption; }
        void SetCaption(const std::string& c) override { log += (caption = c) + ", "; }
        void SetEnabled(bool e) override { log += e ? "enabled, " : "disabled, "; }
    } button;
    const CodecCheckResult r = RunCodecCheck(st, w, w, w, &button);
    std::string out;
    for (const std::string& line : r.lines) out += line + "\n";
    const std::pair<const char*, bool> found[] = {
        {"DivX 4", r.divx4},          {"DivX 5 Pro", r.divx5Pro},    {"DivX 5", r.divx5},
        {"XviD", r.xvid},             {"DivX 3 low", r.divx3Low},    {"DivX 3 fast", r.divx3Fast},
        {"list read", r.listRead},    {"fourcc DIVX", st.Divx4FourccIsDivx}, {"audio", st.DivxAudioCodecFound}};
    out += "found:";
    for (const auto& [name, yes] : found) out += yes ? std::string(" ") + name + "," : "";
    out += "\nbutton: " + button.log + (w.FileExists(list) ? "the list is left" : "the list is deleted");
    for (const std::string& e : w.Events({"run("})) out += "\n" + e;
    return out;
}

// A run's progress after each event: "begin T" of the steps named in the
// first argument (10 s at 25 fps, or "unknown" facts after a colon), "start
// STEP at T", "share F at T", "finish at T"; in a queue "queue N at T", "job
// K", "queued F at T". A run's event gives the console's line, a queue's the
// queue's line and the tray's tip.
std::string Progress(const Args& a) {
    RunProgress run;
    QueueProgress queue;
    std::string out;
    const std::size_t colon = a[0].find(": ");
    std::vector<std::string> steps;
    for (std::size_t at = colon == std::string::npos ? 0 : colon + 2, comma = 0; comma != std::string::npos; at = comma + 2) {
        comma = a[0].find(", ", at);
        steps.push_back(a[0].substr(at, comma - at));
    }
    const SourceFacts facts = colon == std::string::npos ? SourceFacts{true, 250, 25, 320, 240} : SourceFacts{};
    for (std::size_t i = 1; i < a.size(); ++i) {
        const std::string& e = a[i];
        const std::size_t at = e.rfind(" at ");
        const std::int64_t t = at == std::string::npos ? 0 : std::stoll(e.substr(at + 4));
        const std::string what = e.substr(e.find(' ') + 1, at - e.find(' ') - 1);
        if (e.rfind("begin", 0) == 0) run.Begin(steps, facts, std::stoll(e.substr(6)));
        else if (e.rfind("start", 0) == 0) run.StepStarted(what, t);
        else if (e.rfind("share", 0) == 0) run.StepFraction(std::stod(what), t);
        else if (e.rfind("finish", 0) == 0) run.Finish(t);
        else if (e.rfind("queued", 0) == 0) queue.Update(std::stod(what), t);
        else if (e.rfind("queue", 0) == 0) queue.Begin(std::stoi(what), t);
        else if (e.rfind("job", 0) == 0) queue.Job(std::stoi(e.substr(4)));
        out += (out.empty() ? "" : "\n") +
               (e.rfind("queue", 0) == 0 || e.rfind("job", 0) == 0
                    ? QueueProgressText(queue) + " | tip: " + TrayProgressTip(run, queue)
                    : ConsoleProgressLine(run) + " | " + StepProgressText(run) + " | " + RunProgressText(run));
    }
    return out;
}

// What the simulation writes for FFmpeg's arguments, over a source of 2 s
// (v.avi: 50 frames; a.ac3: 96,000 bytes): an AVI's frames and the bytes
// of each stream, a WAV's data bytes, another file's bytes, the pass log.
std::string Simulate(const Args& args) {
    AviShape source;
    source.frames = 50;
    const std::map<std::string, std::string> files = {{"v.avi", AviBytes(source)}, {"a.ac3", std::string(96000, '\x0B')}};
    engine::FfmpegRun run;
    run.args = args;
    if (run.args[0].rfind("aim=", 0) == 0) run.aimBytes = std::stoll(run.args[0].substr(4)), run.args.erase(run.args.begin());
    const engine::Simulated s = engine::SimulateRun(
        run, [&](const std::string& p) -> std::optional<std::string> { return files.at(p); },
        [&](const std::string& p) { return static_cast<std::int64_t>(files.at(p).size()); });
    if (!s.problem.empty()) return "refused: " + s.problem;
    std::string out = s.output.path.empty() ? "no file" : s.output.path + ":", problem;
    AviSummary avi;
    WavSummary wav;
    if (ReadAvi(s.output.bytes, avi, problem)) {
        out += " " + std::to_string(avi.totalFrames) + " frames";
        for (const AviStreamInfo& i : avi.streamInfo) out += ", " + std::to_string(i.indexedBytes);
    } else if (ReadWavHeader(s.output.bytes, wav, problem)) {
        out += " WAV of " + std::to_string(wav.dataBytes);
    } else if (!s.output.path.empty()) {
        out += s.output.bytes == Mp3Bytes(48000, 128, 128, 2) ? " 2 s of MP3 at 128 kbit/s" : " other bytes";
    }
    return out + (s.passLog ? "; pass log " + s.passLog->path : "");
}

const std::map<std::string, std::function<std::string(const Args&)>> kFunctions = {
    {"LeadingNumber", [](const Args& a) { return Real(LeadingNumber(a[0])); }},
    // The format is the decimal separator, then the thousands' one if any.
    {"StrictNumber", [](const Args& a) { return OrNone(StrictNumber(a[0], {a[1][0], a[1].size() > 1 ? a[1][1] : '\0'}), Real); }},
    {"RoundHalfEven32", [](const Args& a) { return OrNone(RoundHalfEven32(std::stod(a[0])), Whole); }},
    {"HasForbiddenPathCharacter", [](const Args& a) { return Yes(HasForbiddenPathCharacter(a[0])); }},
    {"SecondInHour", [](const Args& a) { return SecondInHour(std::stoll(a[0])); }},
    {"ClockTime", [](const Args& a) { return ClockTime(std::stod(a[0])); }},
    {"Mp3Kbps", [](const Args& a) { return std::to_string(Mp3Kbps(std::stoi(a[0]))); }},
    {"FileDateText", [](const Args& a) { return FileDateText(std::stoull(a[0]), a[1]); }},
    {"OsName", [](const Args& a) { return OsName(std::stoi(a[0]), std::stoul(a[1]), std::stoul(a[2])); }},
    {"OsLogLine",
     [](const Args& a) {
         return OsLogLine(a.empty() ? OsVersionInfo{}
                                    : MakeOsVersionInfo(std::stoi(a[0]), std::stoul(a[1]), std::stoul(a[2]),
                                                        std::stoul(a[3], nullptr, 16), a[4]));
     }},
    {"PriorityCommands",
     [](const Args& a) {
         const PriorityScript script = ParsePriorityCommands(SplitCommandLine(a[0]));
         std::string out = "window \"" + script.windowTitle + "\"";
         for (const StatusWindowCommand& c : script.commands)
             out += (c.action == PriorityAction::UncheckBox ? " / uncheck " : " / select ") + std::to_string(c.controlId) +
                    (c.action == PriorityAction::UncheckBox ? "" : " \"" + c.text + "\"");
         return out;
     }},
    {"SplitCommandLine",
     [](const Args& a) {
         std::string out;
         for (const std::string& t : SplitCommandLine(a[0])) out += (out.empty() ? "[" : " [") + t + "]";
         return out;
     }},
    {"TitleMatches", [](const Args& a) { return Yes(TitleMatches(a[0], a[1])); }},
    {"ParseTimeoutMs", [](const Args& a) { return std::to_string(ParseTimeoutMs(a.empty() ? nullptr : a[0].c_str(), 60000)); }},
    {"EntryBufferLength", [](const Args& a) { return std::to_string(EntryBufferLength(std::stoul(a[0]))); }},
    // A list entry "Idle" read into the buffer for a length of 4; "all" is
    // a copy that filled the buffer.
    {"EntryTextMatches",
     [](const Args& a) {
         std::wstring buffer(EntryBufferLength(4), L'\0');
         buffer.replace(0, 4, L"Idle");
         return Yes(EntryTextMatches(buffer, a[0] == "all" ? buffer.size() : std::stoul(a[0]),
                                     std::wstring(a[1].begin(), a[1].end())));
     }},
    {"FileDialogFilter", [](const Args& a) { return FileDialogFilter(a[0]); }},
    {"TrimBlanks", [](const Args& a) { return TrimBlanks(a[0]); }},
    {"QuoteArgument", [](const Args& a) { return engine::QuoteArgument(a[0]); }},
    {"RunProgress", Progress},
    {"CodecCheck", CodecCheck},
    {"ReadAviFacts", Facts},
    {"SizeLabel", SizeLabel},
    {"ToolPaths", ToolPaths},
    {"Divx4Numbers", Divx4Numbers},
    {"BesweetCommandLine",
     [](const Args& a) {
         ProgramState st;
         const EncodeSettings s = Window(st, {});
         (a[0] == "1" ? st.Stream1FilePath : st.Stream2FilePath) = a[1];
         return BesweetCommandLine(std::stoi(a[0]), s, st);
     }},
    {"ShutdownSystem", Shutdown},
    // The engine's arithmetic of sizes: a clip of frames at 25 frame/s.
    {"AviOverheadBytes", [](const Args& a) { return Count(engine::AviOverheadBytes(std::stoll(a[0]))); }},
    {"BitrateForSize", [](const Args& a) { return Count(engine::BitrateForSize(std::stoll(a[0]), {std::stoll(a[1]), 25})); }},
    {"BytesForBitrate", [](const Args& a) { return Count(engine::BytesForBitrate(std::stoll(a[0]), {std::stoll(a[1]), 25})); }},
    {"CorrectedBitrate",
     [](const Args& a) {
         return OrNone(engine::CorrectedBitrate(std::stoll(a[0]), std::stoll(a[1]), std::stoll(a[2]), std::stod(a[3])), Count);
     }},
    {"EffortOptions", [](const Args& a) { return Joined(engine::EffortOptions(std::stoi(a[0]), a.size() > 1)); }},
    // DivX 3's lines as "Method n n ..." after "analysis" or "encode".
    {"Divx3LineOptions",
     [](const Args& a) {
         engine::ScriptNumbers lines;
         for (std::size_t i = 1; i < a.size(); ++i) {
             std::vector<int>& numbers = lines[a[i].substr(0, a[i].find(' '))];
             for (std::size_t at = a[i].find(' '); at != std::string::npos; at = a[i].find(' ', at + 1))
                 numbers.push_back(std::stoi(a[i].substr(at + 1)));
         }
         const engine::SettingOptions o = engine::Divx3LineOptions(lines, a[0] == "analysis");
         std::string out = "args: " + Joined(o.args);
         for (const std::string& said : o.notApplied) out += "\nnot applied: " + said;
         return out;
     }},
    {"FractionFromStatus", [](const Args& a) { return Real(FractionFromStatus(a[0], a[1])); }},
    {"FractionFromGrowth", [](const Args& a) { return Real(FractionFromGrowth(std::stoll(a[0]), std::stod(a[1]))); }},
    {"StepNameOfEntry", [](const Args& a) { return StepNameOfEntry(a[0]); }},
    {"ExpectedResultBytes",
     [](const Args& a) { return Real(ExpectedResultBytes({a[0], "", "", std::stod(a[1])}, {true, 250, 25, 320, 240})); }},
    // The notice at the end of a run: the target, its size, the seconds the
    // run took, then the log's last lines.
    {"NoticeFromLog",
     [](const Args& a) {
         const RunEndNotice n = NoticeFromLog({a.begin() + 3, a.end()}, a[0], std::stoll(a[1]), std::stoll(a[2]));
         const char* ends[] = {"done", "failed", "stopped", "unknown"};
         return std::string(ends[static_cast<int>(n.end)]) + " | " + n.title + " | " + n.text;
     }},
    {"IncompleteRun",
     [](const Args& a) {
         const engine::RunEnd e = EndOf(a);
         const std::string problem = engine::IncompleteRun(
             e, {"Stream map '0:a:0' matches no streams.", "To ignore this, add a trailing '?' to the map."}, "C:\\in.avi",
             "C:\\out.avi.part");
         std::string out = problem.empty() ? "counts" : problem;
         for (const std::string& w : engine::SourceWarnings(e)) out += "; " + w;
         return out;
     }},
    {"SimulateRun", Simulate},
    {"CommandLineOf", [](const Args& a) { return engine::CommandLineOf(a[0], {a.begin() + 1, a.end()}); }},
};

std::string Call(const std::string& row) {
    // A row that ends in " |" has an empty last argument.
    Args args = fakes::SplitSteps(row.ends_with(" |") ? row + " " : row);
    for (std::string& a : args) a = fakes::Unescape(a);
    const std::string name = args[0];
    args.erase(args.begin());
    // Each line of the answer escaped on its own: line ends stay.
    const std::string answer = kFunctions.at(name)(args);
    std::string out;
    for (std::size_t at = 0, end = 0; end != std::string::npos; at = end + 1) {
        end = answer.find('\n', at);
        out += fakes::Escape(answer.substr(at, end - at)) + "\n";
    }
    return out;
}

}  // namespace

TEST(Functions, GiveWhatTheyGaveWhenRecorded) {
    const auto rows = fakes::RecordedRows("functions.txt", Call);
    ASSERT_FALSE(rows.recorded.empty());
    EXPECT_EQ(rows.got, rows.recorded);
}
