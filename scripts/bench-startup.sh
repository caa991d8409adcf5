#!/usr/bin/env bash
# Start-up benchmark under Wine: how long marobex.exe takes from its start
# until its main window is visible, against a bare Win32 window started the
# same way (bench/bare_window.cpp), both timed by bench_startup.exe
# over RUNS starts (default 10). The aim: Marobex within 1.5 times the bare
# window's time. A measurement, not a test: it prints and never fails on the
# numbers.
# Usage: scripts/bench-startup.sh [build folder] [runs]   (default build/win64 10)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=${1:-build/win64}
runs=${2:-10}
case $build in /*) ;; *) build=$root/$build ;; esac
for exe in bench_startup.exe bare_window.exe marobex.exe; do
  if [ ! -f "$build/$exe" ]; then
    echo "bench-startup: $build/$exe is not built: cmake --build --preset win64 first." >&2
    exit 1
  fi
done

export WINEPREFIX=$build/wineprefix-display WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
measure() {
  if [ -n "${DISPLAY:-}" ]; then
    "$root/cmake/wine-run.sh" "$build/bench_startup.exe" "$@"
  else
    MAROBEX_NEEDS_DISPLAY=1 "$root/cmake/wine-run.sh" "$build/bench_startup.exe" "$@"
  fi
}
# One start each first, so that both find Wine's files in the cache.
measure "Z:$build/bare_window.exe" 1 >/dev/null || true
measure "Z:$build/marobex.exe" 1 >/dev/null || true
bare=$(measure "Z:$build/bare_window.exe" "$runs" | tee /dev/stderr | sed -n 's/^median .* \([0-9.]*\)\r*$/\1/p')
marobex=$(measure "Z:$build/marobex.exe" "$runs" | tee /dev/stderr | sed -n 's/^median .* \([0-9.]*\)\r*$/\1/p')
echo "bare window: ${bare:-?} ms, marobex: ${marobex:-?} ms (median of $runs)"
if [ -n "$bare" ] && [ -n "$marobex" ]; then
  awk -v b="$bare" -v m="$marobex" 'BEGIN { printf "ratio: %.2f (aim: 1.5 or less)\n", m / b }'
fi
