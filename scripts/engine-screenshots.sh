#!/usr/bin/env bash
# Screenshots of Marobex's engine at work, on a virtual display:
#   build/screenshots/engine-status.png           its status window during an encode
#   build/screenshots/marobex-codecs-engine.png   the main window, its codec list
#                                                 showing the codecs the engine provides
# Needs the win64 build and FFmpeg for Windows (scripts/install-deps.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=$root/build/win64
shots=$root/build/screenshots
engine=$build/marobex-engine.exe
ffmpeg=$root/build/ffmpeg/ffmpeg.exe
for f in "$engine" "$ffmpeg" "$build/marobex.exe"; do
  [ -f "$f" ] || { echo "engine-screenshots: $f is missing (./run.sh builds, install-deps fetches)." >&2; exit 1; }
done

if [ "${1:-}" != --on-virtual-display ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" --on-virtual-display
fi

scripts/setup-demo.sh --setup-only >/dev/null
export WINEPREFIX=$build/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
mkdir -p "$shots"
trap 'wineserver -k 2>/dev/null || true' EXIT

# A clip long enough to photograph the encode: 60 s at 640 x 480.
sample="$WINEPREFIX/drive_c/Marobex Sample"
if [ ! -f "$sample/long.avi" ]; then
  cmake/wine-run.sh "$ffmpeg" -hide_banner -nostdin -v error -y \
    -f lavfi -i 'testsrc2=size=640x480:rate=25:duration=60' -c:v mpeg4 -q:v 3 'C:\Marobex Sample\long.avi'
fi
# A DivX 5 pass as Marobex writes it, on that clip.
sed -e 's|VirtualDub.Open(.*|VirtualDub.Open("C:\\\\Marobex Sample\\\\long.avi",0,0);\r|' \
    -e 's|VirtualDub.SaveAVI(.*|VirtualDub.SaveAVI("C:\\\\Marobex Sample\\\\long-divx5.avi");\r|' \
    tests/data/jobs/expected/divx5_1pass/jobpass.vcf >"$WINEPREFIX/drive_c/engine-shot.vcf"

# The X window whose title begins with the text.
find_window() {
  { xwininfo -root -tree 2>/dev/null || true; } | awk -v t="\"$1" 'index($0, t) { print $1; exit }'
}
wait_window() {
  local w="" i
  for i in $(seq 1 120); do
    w=$(find_window "$1"); [ -n "$w" ] && { echo "$w"; return 0; }
    sleep 1
  done
  return 1
}

cmake/wine-run.sh explorer /desktop=EngineShot,1024x768 "Z:${engine//\//\\}" /r /x '/sC:\engine-shot.vcf' \
  >/dev/null 2>&1 &
if w=$(wait_window "VirtualDub Status - [long.avi]"); then
  sleep 5  # some progress on the window
  import -window "$w" "$shots/engine-status.png"
  echo "The engine's status window: $shots/engine-status.png"
else
  import -window root "$shots/engine-status.png" || true
  echo "engine-screenshots: the status window did not appear (the screen is in $shots/engine-status.png)" >&2
fi
wineserver -k 2>/dev/null || true
sleep 1

# The main window, whose start-up finds the engine's codecs (a second try
# when the first picture could not be taken).
sleep 3
for attempt in 1 2; do
  if MAROBEX_START_TIMEOUT=120 scripts/start.sh --on-virtual-display >/dev/null; then break; fi
  [ $attempt = 2 ] && { echo "engine-screenshots: the main window could not be captured." >&2; exit 1; }
  sleep 3
done
cp "$shots/marobex-main.png" "$shots/marobex-codecs-engine.png"
echo "The main window's codec list with the engine: $shots/marobex-codecs-engine.png"
