#!/usr/bin/env bash
# Plants one-line faults in the core and the engine, one at a time, and checks that the
# native suite catches each: edit the file (the text to replace must occur
# exactly once), rebuild core_tests (native preset, ASan as configured), run
# it, restore the file. Prints each fault as caught or MISSED and a total;
# exits non-zero when any fault is missed or cannot be planted.
#
#   scripts/plant-faults.sh            every fault of the table
#   scripts/plant-faults.sh 3 17       only those numbers
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
EOF
)

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
trap 'restore; rm -rf "$backup"' EXIT
trap 'restore; exit 130' INT TERM

cmake --preset native >/dev/null
cmake --build --preset native -j2 --target core_tests >/dev/null
"$build/core_tests" --gtest_brief=1 >/dev/null || { echo "the suite fails without any fault planted"; exit 2; }

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
    if ! cmake --build --preset native -j2 --target core_tests >"$backup/build.log" 2>&1; then
        echo "caught (build) $label"
        caught=$((caught + 1))
    elif "$build/core_tests" --gtest_brief=1 >"$backup/test.log" 2>&1; then
        echo "MISSED $label"
        missed=$((missed + 1))
    else
        failures=$(grep -c '^\[  FAILED  \]' "$backup/test.log" || true)
        if [[ $failures -gt 0 ]]; then echo "caught $label ($failures failing tests)"; else echo "caught $label (the suite ended abnormally)"; fi
        caught=$((caught + 1))
    fi
    restore
done <<<"$FAULTS"

# Leave the build as the sources are.
cmake --build --preset native -j2 --target core_tests >/dev/null
echo "caught $caught of $((caught + missed + broken)) planted faults; $missed missed; $broken not planted"
[[ $missed -eq 0 && $broken -eq 0 ]]
