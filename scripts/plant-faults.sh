#!/usr/bin/env bash
# Plants one-line faults in the core and the engine, one at a time, and checks that the
# native suite catches each: edit the file (the text to replace must occur
# exactly once), rebuild core_tests (native preset, ASan as configured), run
# it, restore the file. Prints each fault as caught or MISSED and a total;
# exits non-zero when any fault is missed or cannot be planted.
#
#   scripts/plant-faults.sh            every fault of the table
#   scripts/plant-faults.sh 3 17       only those numbers
#   scripts/plant-faults.sh --windows [N...]
#                                      the Windows table instead: rebuilds the
#                                      win64 preset and runs the Wine suites
#                                      ui_tests and win32_tests through ctest
#                                      (a build error counts as caught), and
#                                      says how long each fault took
#
# The table is meant to be reused: when the tests are trimmed again, every
# fault must still be caught. Build no other preset while it runs: an object
# compiled while a fault stands would be linked into that preset's programs.
set -euo pipefail
cd "$(dirname "$0")/.."

# file|text as it stands ==> text with the fault   (one fault a line)
FAULTS=$(cat <<'EOF'
src/codecstate/codec_state.cpp|kSceneChange = 92 ==> kSceneChange = 88
src/codecstate/codec_state.cpp|kBonusBias = 500 ==> kBonusBias = 504
src/codecstate/codec_state.cpp|pass1.Write(kFixed36, 85); ==> pass1.Write(kFixed36, 86);
src/codecstate/codec_state.cpp|if (s.chkQPel) pass1.Write(kQuarterPixel, 1); ==> if (s.chkGMC) pass1.Write(kQuarterPixel, 1);
src/codecstate/codec_state.cpp|if (modulatedSecondPass) pass2.Write(kQuantType, kQuantModulated); ==> if (modulatedSecondPass) pass1.Write(kQuantType, kQuantModulated);
src/codecstate/binary_text.cpp|ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/ ==> ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-/
src/jobs/job_scripts.cpp|"VirtualDub.video.InternalSCD(" + s.TxtSCD ==> "VirtualDub.video.InternalSCD(" + s.TxtSpan
src/jobs/job_scripts.cpp|(ac3 == 1 ? "160,160" : "500,500") ==> (ac3 == 1 ? "160,161" : "500,500")
src/jobs/job_scripts.cpp|+ "_firstpass.avi"; ==> + "_firstpass.AVI";
src/jobs/job_scripts.cpp|s.TxtStartGauge + "," + s.TxtMinGauge ==> s.TxtMinGauge + "," + s.TxtStartGauge
src/jobs/besweet.cpp|"--abr 96 -mj -h -b32 -Z --lowpass 19.5 )" ==> "--abr 96 -mj -h -b32 -Z --lowpass 19 )"
src/jobs/besweet.cpp|"\\Stream2.MP3" ==> "\\stream2.MP3"
src/jobs/besweet.cpp|path.compare(point, std::string::npos, ".mpa") == 0 ==> path.compare(point, 4, ".mpa") == 0
tools/engine/job_script.cpp|case 't': out.push_back('\t'); break; ==> case 't': out.push_back('\v'); break;
tools/engine/job_script.cpp|out.push_back(static_cast<char>(hi * 16 + lo)); ==> out.push_back(static_cast<char>(hi * 10 + lo));
tools/engine/job_script.cpp|const unsigned base = s_[pos_] == '0' ? 8 : 10; ==> const unsigned base = s_[pos_] == '0' ? 10 : 10;
tools/engine/job_script.cpp|if (value > 0xFFFFFFFFull) tooLarge = true; ==> if (value > 0x7FFFFFFFull) tooLarge = true;
tools/engine/job_script.cpp|v.number = static_cast<std::int32_t>(0u - t.value); ==> v.number = static_cast<std::int32_t>(t.value);
tools/engine/job_script.cpp|s_[pos_ + 1] == 'x') { ==> (s_[pos_ + 1] | 0x20) == 'x') {
tools/engine/job_script.cpp|{"VirtualDub.video", "SetCompData", "is"}, ==> {"VirtualDub.video", "SetCompData", "si"},
tools/engine/job_script.cpp|if (dialect == ScriptDialect::Nandub && scan(kNandubForms)) return {}; ==> if (scan(kNandubForms)) return {};
tools/engine/job_script.cpp|if (dialect == ScriptDialect::Nandub && object == "VirtualDub.audio2") ==> if (object == "VirtualDub.audio2")
tools/engine/engine_plan.cpp|"-b:v", std::to_string(c.bitsPerSecond)}); ==> "-maxrate", std::to_string(c.bitsPerSecond)});
tools/engine/engine_plan.cpp|{"-pass", firstPass ? "1" : "2", ==> {"-pass", firstPass ? "1" : "3",
tools/engine/engine_plan.cpp|{"-b:v", std::to_string(kbps * 1000)}); ==> {"-b:v", std::to_string(kbps * 1024)});
tools/engine/engine_plan.cpp|{"-b:a:" + n, std::to_string(t.bytesPerSecond * 8)}); ==> {"-b:a:" + n, std::to_string(t.bytesPerSecond)});
tools/engine/engine_plan.cpp|{"-itsoffset", Number(t.delayMs / 1000.0)}); ==> {"-itsoffset", Number(t.delayMs / 100.0)});
tools/engine/engine_plan.cpp|case kTagWma: encoder = "wmav2"; break; ==> case kTagWma: encoder = "wmav1"; break;
tools/engine/engine_plan.cpp|lowpassHz = f < 100 ? f * 1000 : f; ==> lowpassHz = f < 100 ? f * 100 : f;
tools/engine/engine_plan.cpp|const int mean = (kbps + maxKbps) / 2; ==> const int mean = maxKbps;
tools/engine/video_settings.cpp|Add(a, {"-g", std::to_string(c.maxKeyInterval)}); ==> Add(a, {"-g", std::to_string(c.minKeyInterval)});
tools/engine/video_settings.cpp|Real(std::max(0.0, reaction / 20.0)) ==> Real(std::max(0.0, reaction / 10.0))
tools/engine/video_settings.cpp|std::to_string((50 - scene) * 1000) ==> std::to_string((scene - 50) * 1000)
tools/engine/video_settings.cpp|Real(std::clamp(1 - compression / 50.0, 0.0, 1.0)) ==> Real(std::clamp(compression / 50.0, 0.0, 1.0))
tools/engine/video_settings.cpp|if (c.bFrames) Add(a, {"-bf", "2"}); ==> if (c.bFrames) Add(a, {"-bf", "1"});
tools/engine/video_settings.cpp|double mid = (1 + minRelative) / 2, dev = 1 - mid; ==> double mid = (1 + minRelative) / 2, dev = mid;
tools/engine/video_settings.cpp|if (aggression == 2) return "sin(PI/2*" + u + ")"; ==> if (aggression == 1) return "sin(PI/2*" + u + ")";
tools/engine/video_settings.cpp|? minRelative : Value(c, "bonus bias", 50); ==> ? 50 : Value(c, "bonus bias", 50);
src/run/encode_log.cpp|std::int64_t h = Seconde / 3600; ==> std::int64_t h = Seconde / 3600 % 24;
src/run/encode_log.cpp|std::int64_t h = Seconde / 3600; ==> std::int64_t h = Seconde / 3601;
src/run/encode_log.cpp|const std::int64_t m = rest / 60; ==> const std::int64_t m = rest / 60 % 24;
src/jobs/source_facts.cpp|static_cast<long long>(total / 60 % 60) ==> static_cast<long long>(total / 60)
src/jobs/source_facts.cpp|static_cast<long long>(total / 3600) ==> static_cast<long long>(total / 3600 % 24)
src/run/run_passes.cpp|double quotient = std::trunc(plan_.divx4Bitrate ==> double quotient = std::round(plan_.divx4Bitrate
src/run/run_passes.cpp|std::trunc(plan_.overSizePercent / 100.0 ==> std::round(plan_.overSizePercent / 100.0
src/run/run_passes.cpp|return bytes < 0 ? 0 : bytes / 1024; ==> return bytes < 0 ? 0 : (bytes + 512) / 1024;
src/run/run_passes.cpp|v.AddQueueEntry(" - Bitrate Recalculation"); ==> v.AddQueueEntry(" - Bitrate recalculation");
src/run/run_passes.cpp|FirstSize > DesiredSize_ + OverSizeError_ ==> FirstSize >= DesiredSize_ + OverSizeError_
src/run/run_passes.cpp|FirstSize < DesiredSize_ - OverSizeError_ ==> FirstSize <= DesiredSize_ - OverSizeError_
src/run/run_passes.cpp|if (quotient > 6000) quotient = 6000; ==> if (quotient > 6000) quotient = 5999;
src/run/run_driver.cpp|"Postprocessing", s.SldPostProces * 10 ==> "Postprocessing", s.SldPostProces * 100
src/run/run_driver.cpp|rfind('.')) + "_temp.avi" ==> rfind('.')) + "-temp.avi"
src/run/priority_command.cpp|if (s.ChkShowOutput == 0) cmd += " BT02:"; ==> if (s.ChkShowInput == 0) cmd += " BT02:";
src/run/encode_log.cpp|return {" Start First Pass Encoding ..."}; ==> return {" Start First Pass Encoding .."};
src/run/console_run.cpp|PrintLine(out_, "queue: ", entry); ==> PrintLine(out_, "queue:", entry);
src/run/console_run.cpp|results.back() == JobResult::Stopped || results.back() == JobResult::Cancelled) break; ==> results.back() == JobResult::Stopped) break;
src/run/console_run.cpp|if (any(JobResult::Unreadable)) return CliExitUsage; ==> if (any(JobResult::Unreadable) && !several) return CliExitUsage;
src/run/console_run.cpp|ResultText(results[i]) : "not run") ==> ResultText(results[i]) : "skipped")
src/run/shutdown.cpp|Can't determine the current process. ==> Can't determine the current process
src/model/rules.cpp|"None", "Light", "Normal", "Strong", "Extreme" ==> "None", "Light", "Normal", "Strong", "Extrem"
src/model/rules.cpp|SetCheck(Ctl::ChkBitsReservoir, 0); ==> SetCheck(Ctl::ChkBitsReservoir, 1);
src/model/rules.cpp|SetText(Ctl::TxtGain, "30"); ==> SetText(Ctl::TxtGain, "31");
src/model/browse.cpp|(avi ? "_1" : "") ==> (avi ? "_2" : "")
src/model/text.cpp|c == '"' || c == '*' || c == '?' ==> c == '"' || c == '?'
src/model/text.cpp|if (c == ':' && i != 1) return true; ==> if (c == ':' && i > 1) return true;
src/model/numbers.cpp|if (pos >= text.size() || (text[pos] != 'e' && text[pos] != 'E')) return pos; ==> if (pos >= text.size() || text[pos] != 'e') return pos;
src/model/saved_job.cpp|"]: unknown section, ignored" ==> "]: unknown section"
src/env/codec_detection.cpp|{"DivX Pro 5", "\t(Supported)", CodecMark::Divx5Pro}, ==> {"DivX Pro 5", "\t\t(Supported)", CodecMark::Divx5Pro},
src/env/codec_detection.cpp|!files.FileExists(system + "\\DIVX4.DLL") ==> files.FileExists(system + "\\DIVX4.DLL")
src/env/tool_paths.cpp|return "VirtualDub v" + version.substr(0, 6) + "\t\tFound"; ==> return "VirtualDub v" + version.substr(0, 5) + "\t\tFound";
src/env/tool_paths.cpp|return state.ProgramFolder + "\\Marobex.ini"; ==> return state.ProgramFolder + "\\marobex.ini";
src/env/os_version.cpp|if (minor == 90) return "Windows ME"; ==> if (minor == 90) return "Windows Me";
src/run/run_step.cpp|" >> " + failure.step + " FAILED : " ==> " >> " + failure.step + " FAILED: "
src/run/run_step.cpp|after.size >= 0 && !(after == before)) ==> after.size >= 0)
src/run/run_step.cpp|if (MarkOf(log, ports.files) != mark) { ==> if (ports.files.FileExists(log)) {
src/run/run_step.cpp|if (engine && status == EngineAbortedStatus) ==> if (status == EngineAbortedStatus)
src/run/run_step.cpp|engine ? EndBy::EngineAbort : EndBy::CloseWindows ==> EndBy::CloseWindows
src/run/run_step.cpp|const bool programFailed = engine && status != 0; ==> const bool programFailed = status != 0;
src/model/status_window.h|#define IDC_SHOW_INPUT 1027 ==> #define IDC_SHOW_INPUT 1028
src/jobs/fake_avi.cpp|AVIIF_KEYFRAME = 0x10; ==> AVIIF_KEYFRAME = 0x11;
EOF
)

# The engine's simulation: the sizes of the files it writes for a plan.
FAULTS+=$'\n'$(cat <<'EOF'
tools/engine/simulation.cpp|avi.videoBytes = run_.aimBytes > 0 ? run_.aimBytes ==> avi.videoBytes = run_.aimBytes > 0 ? run_.aimBytes + 1
tools/engine/simulation.cpp|Number(Option(a_, "-b:v")) * seconds_ / 8 ==> Number(Option(a_, "-b:v")) * seconds_ / 7
tools/engine/simulation.cpp|a_[i + 1].find(":a:") != std::string::npos) avi.audio ==> a_[i + 1].find(":v:") != std::string::npos) avi.audio
tools/engine/simulation.cpp|{0x2000, 6, 48000, 48000, 1, 0, {}} ==> {0x2000, 6, 48000, 44100, 1, 0, {}}
tools/engine/simulation.cpp|t.bytes = in.bytes; ==> t.bytes = in.bytes - 1;
tools/engine/simulation.cpp|std::max<std::int64_t>(bits / 8, 1) ==> std::max<std::int64_t>(bits / 10, 1)
tools/engine/simulation.cpp|Mp3BitrateAtMost(static_cast<int>(bits / 1000)) ==> Mp3BitrateAtMost(static_cast<int>(bits / 1024))
tools/engine/simulation.cpp|clip->Seconds() > 0) seconds_ = clip->Seconds(); ==> clip->Seconds() > 0) seconds_ = clip->Seconds() + 1;
tools/engine/simulation.cpp|if (size > kSimulatedMaxBytes) ==> if (size < 0)
tools/engine/simulation.cpp|Option(a_, "-passlogfile") + "-0.log" ==> Option(a_, "-passlogfile") + "-1.log"
src/run/job_queue.cpp|if (q.state == QueuedJobState::Running) q.state = QueuedJobState::Interrupted; ==> if (q.state == QueuedJobState::Running) q.state = QueuedJobState::Waiting;
src/run/job_queue.cpp|for (int k = 0; k < count && outcome.stopped == 0; ++k) { ==> for (int k = 0; k < count; ++k) {
src/run/run_progress.cpp|return std::min(static_cast<double>(bytes) / expectedBytes, 0.99); ==> return std::min(static_cast<double>(bytes) / expectedBytes, 1.0);
src/env/priority_commands.cpp|if (!haveWindow) script.windowTitle = std::string(rest); ==> script.windowTitle = std::string(rest);
tools/engine/ffmpeg_progress.cpp|if (end.exitCode != 0 && end.exitCode < 256) return ==> if (end.exitCode > 1 && end.exitCode < 256) return
tools/engine/ffmpeg_progress.cpp|if (end.outputFrames >= 0 && end.outputFrames < end.frames) ==> if (end.outputFrames > 0 && end.outputFrames < end.frames)
EOF
)

# --windows: faults in the Windows-only code (the windows, the process wait,
# the file, profile and registry ports), caught by the Wine suites.
WINDOWS_FAULTS=$(cat <<'EOF2'
src/app/main_window_win32.cpp|case IDC_SSTabXividPanel: model_.SelectTab(TabStrip::SSTabXividPanel, selected); break; ==> case IDC_SSTabXividPanel: model_.SelectTab(TabStrip::SSTabDivx3Panel, selected); break;
src/app/main_layout_win32.cpp|b.Check(Ctl::ChkShowOutput, 440, 452, 140); ==> b.Check(Ctl::ChkShowOutput, 400, 452, 140);
src/app/queue_page_win32.cpp|EnableWindow(Item(IDC_QueueUp), selected > 0); ==> EnableWindow(Item(IDC_QueueUp), selected >= 0);
src/app/app_queue_win32.cpp|QueueChanged(index + by); ==> QueueChanged(index);
src/app/app_queue_win32.cpp|caption += " - job " ==> caption += " - Job "
src/app/app_progress_win32.cpp|path += ".txt"; ==> path += ".log";
src/app/app_progress_win32.cpp|if (inside(IDC_Frame20)) { ==> if (inside(IDC_Frame21)) {
src/app/external_app_win32.cpp|{ExternalAppWindow::IDC_CmdBrowseBeesweet, ExternalAppWindow::IDC_TxtBesweetPath, ==> {ExternalAppWindow::IDC_CmdBrowseBeesweet, ExternalAppWindow::IDC_TxtNandubPath,
src/app/log_process_win32.cpp|SendMessageA(list, LB_DELETESTRING, 0, 0); ==> SendMessageA(list, LB_DELETESTRING, 1, 0);
src/app/countdown_win32.cpp|if (--left_ <= 0) { ==> if (--left_ < 0) {
src/run/tray_win32.cpp|if (chosen == TrayCancelItem && shown_ && onCancel) onCancel(); ==> if ((chosen == TrayCancelItem || shown_) && onCancel) onCancel();
src/run/process_win32.cpp|MAKEWPARAM(kEngineAbortId, BN_CLICKED) ==> MAKEWPARAM(kEngineAbortId, BN_DOUBLECLICKED)
src/run/process_win32.cpp|deadline = GetTickCount64() + cancel.graceMs; ==> deadline = GetTickCount64();
src/env/profile_win32.cpp|CharUpperBuffA(upper.data(), static_cast<DWORD>(upper.size())); ==> CharLowerBuffA(upper.data(), static_cast<DWORD>(upper.size()));
src/env/files_win32.cpp|GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, ==> GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
src/env/registry_win32.cpp|KEY_SET_VALUE, nullptr, &key, nullptr); ==> KEY_QUERY_VALUE, nullptr, &key, nullptr);
EOF2
)

windows=0
if [[ ${1:-} == --windows ]]; then
    windows=1
    shift
    FAULTS=$WINDOWS_FAULTS
fi
if [[ $# -gt 0 ]]; then wanted=" $* "; else wanted=""; fi

build=build/native
backup=$(mktemp -d)
planted=""
restore() {
    if [[ -n "$planted" ]]; then
        cp "$backup/file" "$planted"
        touch "$planted"
        planted=""
    fi
}
wineserver_started=0
cleanup() {
    restore
    rm -rf "$backup"
    if [[ $wineserver_started -eq 1 ]]; then wineserver -k >/dev/null 2>&1 || true; fi
}
trap cleanup EXIT
trap 'restore; exit 130' INT TERM

# Builds what the suite needs; false on a build error.
build_suite() {
    if [[ $windows -eq 1 ]]; then
        cmake --build --preset win64 -j2
    else
        cmake --build --preset native -j2 --target core_tests
    fi
}

# Runs the suite; false when a test fails.
run_suite() {
    if [[ $windows -eq 1 ]]; then
        ctest --preset win64 -R '^(ui_tests|win32_tests)$'
    else
        "$build/core_tests" --gtest_brief=1
    fi
}

# What failed, from the suite's output: the failing tests' names (gtest),
# else the failing programs (ctest).
failures_of() {
    local log=$1 tests programs
    tests=$(tr -d '\r' <"$log" | grep -E '^\[  FAILED  \] [A-Za-z_0-9/.]+' | grep -v ' listed below' |
            sed -E 's/^\[  FAILED  \] ([^ ,]+).*/\1/' | sort -u | paste -sd' ' || true)
    if [[ $windows -eq 1 ]]; then
        programs=$(tr -d '\r' <"$log" | grep -E '^[[:space:]]*[0-9]+ - [A-Za-z_0-9]+ \(' |
                   sed -E 's/^[[:space:]]*[0-9]+ - ([A-Za-z_0-9]+) \((.*)\)/\1 (\2)/' | paste -sd',' || true)
        echo "${programs:-no failed program named}${tests:+: $tests}"
    else
        local failures
        failures=$(grep -c '^\[  FAILED  \]' "$log" || true)
        if [[ $failures -gt 0 ]]; then echo "$failures failing tests"; else echo "the suite ended abnormally"; fi
    fi
}

if [[ $windows -eq 1 ]]; then
    # The FFmpeg for Windows the end-to-end tests run.
    [[ -d build/ffmpeg ]] || scripts/install-deps.sh
    cmake --preset win64 >/dev/null
    # One wineserver for the whole run, as in test.sh: every wine start is
    # then quick instead of about three seconds.
    export WINEPREFIX="$PWD/build/win64/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    cmake/wine-run.sh cmd /c exit >/dev/null 2>&1 || true
    wineserver -p >/dev/null 2>&1 &
    wineserver_started=1
else
    cmake --preset native >/dev/null
fi
build_suite >/dev/null
if ! run_suite >"$backup/test.log" 2>&1; then
    if [[ $windows -eq 1 ]]; then
        echo "the suite fails without any fault planted ($(failures_of "$backup/test.log"))"
    else
        echo "the suite fails without any fault planted"
    fi
    exit 2
fi

# The time a Windows fault took (build and tests).
took() { if [[ $windows -eq 1 ]]; then echo " [$((SECONDS - started)) s]"; fi; }

n=0 caught=0 missed=0 broken=0
while IFS= read -r line; do
    [[ -z "$line" ]] && continue
    file=${line%%|*} rest=${line#*|}
    # A line may name a file by where it is going: until it has moved there,
    # the one file of that name under tools/ is taken.
    if [[ ! -f $file ]]; then
        moved=$(find tools -name "$(basename "$file")" -type f)
        [[ $(wc -l <<<"$moved") -eq 1 && -n $moved ]] && file=$moved
    fi
    old=${rest%% ==> *} new=${rest#* ==> }
    n=$((n + 1))
    [[ -n "$wanted" && "$wanted" != *" $n "* ]] && continue
    label="$n $file: $old"
    started=$SECONDS
    cp "$file" "$backup/file"
    planted=$file
    if ! OLD="$old" NEW="$new" python3 - "$file" <<'PY'
import os, sys
path, old, new = sys.argv[1], os.environ["OLD"], os.environ["NEW"]
text = open(path, encoding="latin-1").read()
if text.count(old) != 1:
    sys.exit(f"found {text.count(old)} times")
open(path, "w", encoding="latin-1").write(text.replace(old, new))
PY
    then
        echo "NOT PLANTED $label"
        broken=$((broken + 1))
        restore
        continue
    fi
    if ! build_suite >"$backup/build.log" 2>&1; then
        echo "caught (build) $label$(took)"
        caught=$((caught + 1))
    elif run_suite >"$backup/test.log" 2>&1; then
        echo "MISSED $label$(took)"
        missed=$((missed + 1))
    else
        echo "caught $label ($(failures_of "$backup/test.log"))$(took)"
        caught=$((caught + 1))
    fi
    restore
done <<<"$FAULTS"

# Leave the build as the sources are.
build_suite >/dev/null
echo "caught $caught of $((caught + missed + broken)) planted faults; $missed missed; $broken not planted"
[[ $missed -eq 0 && $broken -eq 0 ]]
