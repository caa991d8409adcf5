#!/usr/bin/env bash
# How much time Marobex's engine adds to FFmpeg: a one-pass DivX 5 job on a
# 60 s clip through marobex-engine.exe, against the very FFmpeg command the
# engine ran (from its log), typed by hand. Both under Wine; each three
# times, the best time counts. The engine should add at most 5 %.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=$root/build/win64
engine=$build/marobex-engine.exe
ffmpeg=$root/build/ffmpeg/ffmpeg.exe
for f in "$engine" "$ffmpeg"; do
  [ -f "$f" ] || { echo "bench-engine: $f is missing." >&2; exit 1; }
done
export WINEPREFIX=$build/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
dir=$WINEPREFIX/drive_c/marobex_bench
mkdir -p "$dir"
# One wineserver for all runs, so that starts are quick; ended with the script
# (Wine's services hold the script's output until then).
wineserver -p >/dev/null 2>&1 &
trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
sleep 1
[ -f "$dir/clip.avi" ] || cmake/wine-run.sh "$ffmpeg" -hide_banner -nostdin -v error -y \
  -f lavfi -i 'testsrc2=size=640x480:rate=25:duration=60' -c:v mpeg4 -q:v 3 'C:\marobex_bench\clip.avi'
sed -e 's|VirtualDub.Open(.*|VirtualDub.Open("C:\\\\marobex_bench\\\\clip.avi",0,0);\r|' \
    -e 's|VirtualDub.SaveAVI(.*|VirtualDub.SaveAVI("C:\\\\marobex_bench\\\\out.avi");\r|' \
    tests/data/jobs/expected/divx5_1pass/jobpass.vcf >"$dir/job.vcf"

best() { sort -n | head -1; }
seconds() { local s e; s=$(date +%s.%N); "$@" >/dev/null 2>&1 || true; e=$(date +%s.%N); awk -v s="$s" -v e="$e" 'BEGIN { printf "%.2f\n", e - s }'; }

export PATH="$root/build/ffmpeg:$PATH"
engine_times=() ffmpeg_times=()
for i in 1 2 3; do
  rm -f "$dir/out.avi.log"
  engine_times+=("$(seconds cmake/wine-run.sh "$engine" /r /x '/sC:\marobex_bench\job.vcf')")
  # The FFmpeg command the engine ran (no blanks in its paths here), without
  # its progress pipe, by hand.
  line=$(tr -d '\r' <"$dir/out.avi.log" | sed -n 's/^run: [^ ]* //p' | head -1 | sed 's/ -nostats -progress pipe:1//; s/out\.avi\.part/byhand.avi/')
  [ -n "$line" ] || { echo "bench-engine: the engine did not run FFmpeg (see $dir/out.avi.log)." >&2; exit 1; }
  read -r -a args <<<"$line"
  rm -f "$dir/byhand.avi"
  ffmpeg_times+=("$(seconds cmake/wine-run.sh "$ffmpeg" -nostdin "${args[@]}")")
  [ -s "$dir/byhand.avi" ] || { echo "bench-engine: FFmpeg by hand wrote nothing." >&2; exit 1; }
done
e=$(printf '%s\n' "${engine_times[@]}" | best)
f=$(printf '%s\n' "${ffmpeg_times[@]}" | best)
overhead=$(awk -v e="$e" -v f="$f" 'BEGIN { printf "%.1f", (e - f) * 100 / f }')
echo "FFmpeg by hand: ${f} s; through marobex-engine.exe: ${e} s; the engine adds ${overhead} %"
awk -v o="$overhead" 'BEGIN { exit !(o <= 5) }' && echo "within 5 %" || { echo "more than 5 %" >&2; exit 1; }
