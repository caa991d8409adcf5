#!/usr/bin/env bash
# Runs a sample job through the console runner (marobex-cli.exe) with the
# programs of build/win64/Marobex.ini (Marobex's engine with FFmpeg, or its
# simulation; see scripts/setup-demo.sh), in the build's Wine prefix, and prints what the progress
# window would show: the queue and the encoding log, with the programs the
# run started. The job: the demonstration sample (see scripts/setup-demo.sh)
# as a two-pass DivX 5 encode, its AC3 audio converted to MP3 and muxed.
#
# The results stay in C:\Marobex Sample (build/win64/wineprefix/drive_c).
# Usage: scripts/demo-cli.sh [build folder]   (default build/win64)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=${1:-build/win64}
case $build in /*) ;; *) build=$root/$build ;; esac

cli=$build/marobex-cli.exe
if [ ! -f "$cli" ]; then
  echo "demo-cli: $cli is not built yet: ./run.sh builds it." >&2
  exit 1
fi
"$root/scripts/setup-demo.sh" --setup-only "$build" >/dev/null

export WINEPREFIX=$build/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# Without a display the encoders have no status window for Priority.exe to
# find, so it need not look for long.
if [ -z "${DISPLAY:-}" ]; then
  export MAROBEX_PRIORITY_TIMEOUT_MS=${MAROBEX_PRIORITY_TIMEOUT_MS:-2000}
fi

# Marobex marks VirtualDub's welcome notice as seen when it starts; the
# console runner leaves the registry alone, so a prefix where Marobex has
# never run needs it here, or the encoder would wait on its welcome dialog
# (and its simulation refuses to run).
if ! grep -qi '"SeenWelcome"=dword:00000001' "$WINEPREFIX/user.reg" 2>/dev/null; then
  "$root/cmake/wine-run.sh" reg add 'HKCU\Software\Freeware\VirtualDub' /v SeenWelcome /t REG_DWORD /d 1 /f \
    >/dev/null 2>&1
fi

sample="$WINEPREFIX/drive_c/Marobex Sample"
job="$sample/demo-job.ini"
printf '%s\r\n' \
  '; A two-pass DivX 5 encode of the sample, its audio as MP3, muxed.' \
  '[Paths]' \
  'SourceFilePath=C:\Marobex Sample\sample.avi' \
  'Stream1FilePath=C:\Marobex Sample\sample.ac3' \
  '[Settings]' \
  'OptCodec=0' \
  'CmbNumPass=1' \
  'OptAudioFormat1=1' \
  'CmbMP3ModeStream1=0' \
  'CmbBitrate1=5' \
  'ChkMux=1' >"$job"

out=$(mktemp) err=$(mktemp)
trap 'rm -f "$out" "$err"' EXIT
if grep -qi 'marobex-engine.exe' "$build/Marobex.ini" 2>/dev/null; then
  echo "marobex-cli \"C:\\Marobex Sample\\demo-job.ini\" (the encoder is Marobex's engine: FFmpeg encodes for real)"
else
  echo "marobex-cli \"C:\\Marobex Sample\\demo-job.ini\" (the encoders are the engine's simulation of docs/simulation.md)"
fi
status=0
"$root/cmake/wine-run.sh" "$cli" 'C:\Marobex Sample\demo-job.ini' >"$out" 2>"$err" || status=$?
tr -d '\r' <"$out" >"$out.lf" && mv "$out.lf" "$out"

echo
echo "Queue:"
sed -n 's/^queue: /  /p' "$out"
echo
echo "Programs run:"
sed -n 's/^run: /  /p' "$out"
echo
echo "Encoding log:"
sed -n 's/^log: \{0,1\}/  /p' "$out"
if [ -s "$err" ]; then
  echo
  tr -d '\r' <"$err"
fi
echo
if [ "$status" -eq 0 ]; then
  echo "Files in C:\\Marobex Sample ($sample):"
  for f in "$sample"/*; do
    printf '  %-24s %10s bytes\n' "${f##*/}" "$(stat -c %s "$f")"
  done
else
  echo "marobex-cli ended with status $status." >&2
fi
exit "$status"
