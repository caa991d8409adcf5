#!/usr/bin/env bash
# Starts the built Marobex under Wine, in the build's own Wine prefix
# (build/win64/wineprefix).
#
# With a display the program runs in the foreground, as any program does.
# Without one (no DISPLAY) it runs on a virtual display instead: the script
# waits for the main window, saves a screenshot of it to
# build/screenshots/marobex-main.png, says where it is, ends the program and
# exits 0 (1 when the window did not come up in time; the screenshot then shows
# the whole screen as it was).
#
# MAROBEX_START_TIMEOUT: seconds to wait for the main window (default 120).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup-demo.sh || echo "start: the demonstration could not be set up." >&2
root=$PWD
export WINEPREFIX="$root/build/win64/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
exe="$root/build/win64/marobex.exe"
title=Marobex
screen=1280x1024

if [ ! -f "$exe" ]; then
  echo "marobex.exe is not built yet: ./run.sh builds and starts it." >&2
  exit 1
fi

if [ "${1:-}" != --on-virtual-display ]; then
  if [ -n "${DISPLAY:-}" ]; then
    exec cmake/wine-run.sh "$exe" "$@"
  fi
  echo "No display (DISPLAY is not set): running Marobex on a virtual display (xvfb-run)"
  echo "to save a screenshot of its main window."
  exec xvfb-run -a -s "-screen 0 ${screen}x24" "$root/scripts/start.sh" --on-virtual-display "$@"
fi
shift

# From here on we are on the virtual display.
shots="$root/build/screenshots"
shot="$shots/marobex-main.png"
timeout_s=${MAROBEX_START_TIMEOUT:-120}
mkdir -p "$shots"
rm -f "$shot"
wine_log="$shots/marobex-start.log"

# A Wine desktop of its own: Wine draws the windows' frames and title bars
# itself (there is no window manager here), so the screenshot shows the whole
# window.
windows_exe="Z:${exe//\//\\}"
cmake/wine-run.sh explorer "/desktop=MarobexStart,$screen" "$windows_exe" "$@" >"$wine_log" 2>&1 &
wine_pid=$!

stop_wine() {
  kill "$wine_pid" 2>/dev/null || true
  # Ends every Windows process of this prefix (Marobex, the helpers it
  # started, the Wine desktop) and nothing outside it.
  wineserver -k 2>/dev/null || true
  wait "$wine_pid" 2>/dev/null || true
}
trap stop_wine EXIT

# The X window of the top-level window titled exactly "Marobex".
find_window() {
  { xwininfo -root -tree 2>/dev/null || true; } | awk -v t="\"$title\":" '$2 == t { print $1; exit }' || true
}

window=""
if command -v xwininfo >/dev/null; then
  deadline=$((SECONDS + timeout_s))
  while [ $SECONDS -lt $deadline ]; do
    window=$(find_window)
    [ -n "$window" ] && break
    if ! kill -0 "$wine_pid" 2>/dev/null; then
      echo "Marobex ended before its window appeared (see $wine_log)." >&2
      break
    fi
    sleep 1
  done
else
  echo "xwininfo (package x11-utils) is missing: waiting 30 s instead of watching for the window."
  sleep 30
fi

if [ -n "$window" ]; then
  sleep 2  # let it finish painting
  if timeout 30 import -window "$window" "$shot"; then
    echo "Marobex's main window: $shot"
    exit 0
  fi
fi

timeout 30 import -window root "$shot" || true
if [ -f "$shot" ]; then
  echo "Screenshot of the virtual screen: $shot"
fi
if [ -n "$window" ]; then
  echo "The window \"$title\" could not be captured on its own." >&2
  exit 1
fi
if command -v xwininfo >/dev/null; then
  echo "The window \"$title\" did not appear within $timeout_s s." >&2
  exit 1
fi
exit 0
