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
src/run/run_driver.cpp|v.AddQueueEntry(" - Bitrate Recalculation"); ==> v.AddQueueEntry(" - Bitrate recalculation");
src/run/run_driver.cpp|FirstSize > DesiredSize_ + OverSizeError_ ==> FirstSize >= DesiredSize_ + OverSizeError_
src/run/run_driver.cpp|FirstSize < DesiredSize_ - OverSizeError_ ==> FirstSize <= DesiredSize_ - OverSizeError_
src/run/run_driver.cpp|if (quotient > 6000) quotient = 6000; ==> if (quotient > 6000) quotient = 5999;
src/run/run_driver.cpp|"Postprocessing", s.SldPostProces * 10 ==> "Postprocessing", s.SldPostProces * 100
src/run/run_driver.cpp|UpToLastPoint(state.TargetFilePath) + "_temp.avi" ==> UpToLastPoint(state.TargetFilePath) + "-temp.avi"
src/run/run_driver.cpp|if (s.ChkShowOutput == 0) cmd += " BT02:"; ==> if (s.ChkShowInput == 0) cmd += " BT02:";
src/run/encode_log.cpp|return {" Start First Pass Encoding ..."}; ==> return {" Start First Pass Encoding .."};
src/run/console_run.cpp|PrintLine(out_, "queue: ", entry); ==> PrintLine(out_, "queue:", entry);
src/run/shutdown.cpp|Can't determine the current process. ==> Can't determine the current process
src/model/rules.cpp|"None", "Light", "Normal", "Strong", "Extreme" ==> "None", "Light", "Normal", "Strong", "Extrem"
src/model/rules.cpp|SetCheck(Ctl::ChkBitsReservoir, 0); ==> SetCheck(Ctl::ChkBitsReservoir, 1);
src/model/rules.cpp|SetText(Ctl::TxtGain, "30"); ==> SetText(Ctl::TxtGain, "31");
src/model/browse.cpp|(avi ? "_1" : "") ==> (avi ? "_2" : "")
src/model/numbers.cpp|if (pos >= text.size() || (text[pos] != 'e' && text[pos] != 'E')) return pos; ==> if (pos >= text.size() || text[pos] != 'e') return pos;
src/model/saved_job.cpp|"]: unknown section, ignored" ==> "]: unknown section"
src/env/codec_detection.cpp|{"DivX Pro 5", "\t(Supported)", CodecMark::Divx5Pro}, ==> {"DivX Pro 5", "\t\t(Supported)", CodecMark::Divx5Pro},
src/env/codec_detection.cpp|!files.FileExists(system + "\\DIVX4.DLL") ==> files.FileExists(system + "\\DIVX4.DLL")
src/env/tool_paths.cpp|return "VirtualDub v" + version.substr(0, 6) + "\t\tFound"; ==> return "VirtualDub v" + version.substr(0, 5) + "\t\tFound";
src/env/tool_paths.cpp|return state.ProgramFolder + "\\Marobex.ini"; ==> return state.ProgramFolder + "\\marobex.ini";
src/env/os_version.cpp|if (minor == 90) return "Windows ME"; ==> if (minor == 90) return "Windows Me";
src/run/run_driver.cpp|return " >> " + failure.step + " FAILED : " ==> return " >> " + failure.step + " FAILED: "
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
