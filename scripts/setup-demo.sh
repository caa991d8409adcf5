#!/usr/bin/env bash
# Prepares the build so that a new user can watch a whole run without the
# real encoders and codecs:
# - Marobex.ini beside marobex.exe, pointing at Marobex's engine with FFmpeg
#   from build/ffmpeg (a real encode), or where FFmpeg is missing at the
#   engine's simulation: copies of the engine named VirtualDub.exe,
#   NanDub.exe and BeSweet.exe in <build>/simulation, whose own Marobex.ini
#   tells them to simulate (docs/simulation.md);
# - the stand-in video codecs registered in the build's Wine prefix, so that
#   codec detection offers every codec;
# - a small sample source in that prefix, "C:\Marobex Sample\sample.avi",
#   with "sample.ac3" for an audio stream (made by FFmpeg for the engine).
# On a machine without a display (no DISPLAY) it then runs a sample job
# through the console runner (scripts/demo-cli.sh), so that a whole run can
# be followed in the terminal; --setup-only leaves that out.
#
# Safe to run again: a Marobex.ini that exists is left alone (it may point at
# the real programs by now), and the codecs and the sample are only added
# when they are missing.
# Usage: scripts/setup-demo.sh [--setup-only] [build folder]   (default build/win64)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
setup_only=0
if [ "${1:-}" = --setup-only ]; then
  setup_only=1
  shift
fi
build=${1:-build/win64}
case $build in /*) ;; *) build=$root/$build ;; esac

engine=$build/marobex-engine.exe
for exe in "$engine" "$build/testkit/MakeDemoSample.exe"; do
  if [ ! -f "$exe" ]; then
    echo "setup-demo: $exe is not built yet." >&2
    exit 1
  fi
done

# A Linux path as Wine's drive Z: shows it.
winpath() { printf 'Z:%s' "${1//\//\\}"; }

# The simulation: the engine under the three programs' names, kept as new as
# the engine, told by the Marobex.ini beside them to write the files of each
# plan itself, each run shown for 1.5 s.
simulation=$build/simulation
mkdir -p "$simulation"
for exe in VirtualDub.exe NanDub.exe BeSweet.exe; do
  cp -u "$engine" "$simulation/$exe"
done
printf '[SIMULATION]\r\nTRACE=%s\r\nSTEPMS=1500\r\n' "$(winpath "$simulation/trace.txt")" >"$simulation/Marobex.ini"

# Marobex's engine encodes for real when FFmpeg for Windows is there
# (scripts/install-deps.sh puts it in build/ffmpeg); otherwise the simulation.
ffmpeg=$root/build/ffmpeg/ffmpeg.exe
use_engine=0
[ -f "$ffmpeg" ] && use_engine=1

ini=$build/Marobex.ini
# A settings file this script wrote for the simulation (or for the stand-in
# programs of earlier builds, which are gone) moves on to the engine once it
# can; one the user changed is left alone.
if [ -f "$ini" ] && { grep -qF "VIRTUALDUBPATH=$(winpath "$build/standins/VirtualDub.exe")" "$ini" ||
   { [ $use_engine = 1 ] && grep -qF "VIRTUALDUBPATH=$(winpath "$simulation/VirtualDub.exe")" "$ini"; }; }; then
  rm -f "$ini"
fi
if [ ! -f "$ini" ]; then
  if [ $use_engine = 1 ]; then
    {
      printf '[PATH]\r\n'
      printf 'VIRTUALDUBPATH=%s\r\n' "$(winpath "$engine")"
      printf 'NANDUBPATH=%s\r\n' "$(winpath "$engine")"
      printf 'BESWEETPATH=%s\r\n' "$(winpath "$engine")"
      printf 'FFMPEGPATH=%s\r\n' "$(winpath "$ffmpeg")"
    } >"$ini"
    echo "setup-demo: wrote $ini (Marobex's engine, with FFmpeg from build/ffmpeg)"
  else
    {
      printf '[PATH]\r\n'
      printf 'VIRTUALDUBPATH=%s\r\n' "$(winpath "$simulation/VirtualDub.exe")"
      printf 'NANDUBPATH=%s\r\n' "$(winpath "$simulation/NanDub.exe")"
      printf 'BESWEETPATH=%s\r\n' "$(winpath "$simulation/BeSweet.exe")"
    } >"$ini"
    echo "setup-demo: wrote $ini (the engine's simulation: FFmpeg is not in build/ffmpeg)"
  fi
fi

export WINEPREFIX=$build/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
if ! grep -qs 'StandinCodec.dll' "$WINEPREFIX/system.reg"; then
  if "$root/scripts/install-standin-codecs.sh"; then
    echo "setup-demo: registered the stand-in video codecs"
  else
    echo "setup-demo: the stand-in video codecs could not be registered." >&2
  fi
fi

sample="$WINEPREFIX/drive_c/Marobex Sample"
made_by_ffmpeg="$sample/made-by-ffmpeg.txt"
if [ $use_engine = 1 ] && [ ! -f "$made_by_ffmpeg" ]; then
  # A real source for the engine: 10 s of a moving test picture at 320 x 240
  # with a tone as AC3 beside it.
  mkdir -p "$sample"
  if "$root/cmake/wine-run.sh" "$ffmpeg" -hide_banner -nostdin -v error -y \
       -f lavfi -i 'testsrc2=size=320x240:rate=25:duration=10' \
       -f lavfi -i 'sine=frequency=440:duration=10:sample_rate=48000' \
       -map 0:v -c:v mpeg4 -q:v 2 'C:\Marobex Sample\sample.avi' \
       -map 1:a -ac 2 -c:a ac3 -b:a 192k -f ac3 'C:\Marobex Sample\sample.ac3' >/dev/null 2>&1; then
    echo "FFmpeg made this sample (10 s, 320 x 240, AC3 audio)." >"$made_by_ffmpeg"
    echo "setup-demo: FFmpeg wrote the sample source C:\\Marobex Sample\\sample.avi and sample.ac3"
  else
    echo "setup-demo: FFmpeg could not make the sample source." >&2
  fi
fi
if [ ! -f "$sample/sample.avi" ] || [ ! -f "$sample/sample.ac3" ]; then
  # The first start of Wine also creates the prefix.
  "$root/cmake/wine-run.sh" "$build/testkit/MakeDemoSample.exe" 'C:\Marobex Sample' >/dev/null
  echo "setup-demo: wrote the sample source C:\\Marobex Sample\\sample.avi and sample.ac3"
fi

# Without a display the main window can only be photographed; the console
# runner shows a whole run in the terminal.
if [ $setup_only = 0 ] && [ -z "${DISPLAY:-}" ] && [ -f "$build/marobex-cli.exe" ]; then
  echo "No display: a sample run through the console runner first."
  "$root/scripts/demo-cli.sh" "$build" || echo "setup-demo: the sample run did not go through." >&2
fi
