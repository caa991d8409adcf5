#!/usr/bin/env bash
# Start-up benchmark under Wine: how long marobex.exe takes from its start
# until its main window is visible, against a bare Win32 window started the
# same way (bench/bare_window.cpp), both timed by bench_startup.exe over RUNS
# starts each, in turns (default 10). The aim: Marobex within 1.5 times the
# bare window's time. A measurement, not a test: it prints and never fails on
# the numbers.
# Usage: scripts/bench-startup.sh [build folder] [runs]
# Without a build folder it measures an optimised 64-bit build in build/bench
# (configured and built here), as a program ships optimised: the debug build
# of the test run starts slower for reasons of its own.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=${1:-}
runs=${2:-10}
if [ -z "$build" ]; then
  build=$root/build/bench
  if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake" \
      -DCMAKE_BUILD_TYPE=Release -DMAROBEX_TESTS=ON >/dev/null
  fi
  cmake --build "$build" --target marobex bench_startup bare_window -j"$(nproc)" >/dev/null
fi
case $build in /*) ;; *) build=$root/$build ;; esac
for exe in bench_startup.exe bare_window.exe marobex.exe; do
  if [ ! -f "$build/$exe" ]; then
    echo "bench-startup: $build/$exe is not built." >&2
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
# One start each first, so that both find Wine's files in the cache; then
# the two take turns.
measure 1 "Z:$build/bare_window.exe" "Z:$build/marobex.exe" >/dev/null || true
result=$(measure "$runs" "Z:$build/bare_window.exe" "Z:$build/marobex.exe" | tee /dev/stderr)
median() { printf '%s\n' "$result" | sed -n "s/^median .*$1 \([0-9.]*\)\r*\$/\1/p"; }
bare=$(median bare_window.exe)
marobex=$(median marobex.exe)
echo "bare window: ${bare:-?} ms, marobex: ${marobex:-?} ms (median of $runs)"
if [ -n "$bare" ] && [ -n "$marobex" ]; then
  awk -v b="$bare" -v m="$marobex" 'BEGIN { printf "ratio: %.2f (aim: 1.5 or less)\n", m / b }'
fi
