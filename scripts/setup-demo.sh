#!/usr/bin/env bash
# Prepares the build so that a new user can watch a whole run without the
# real encoders: Marobex.ini beside marobex.exe pointing at the stand-in
# VirtualDub, Nandub and BeSweet (see docs/standins.md), and a small sample
# source in the build's Wine prefix, "C:\Marobex Sample\sample.avi" with
# "sample.ac3" for an audio stream.
#
# Safe to run again: a Marobex.ini that exists is left alone (it may point at
# the real programs by now), and the sample is only made when it is missing.
# Usage: scripts/setup-demo.sh [build folder]   (default build/win64)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=${1:-build/win64}
case $build in /*) ;; *) build=$root/$build ;; esac

standins=$build/standins
for exe in VirtualDub.exe NanDub.exe BeSweet.exe MakeDemoSample.exe; do
  if [ ! -f "$standins/$exe" ]; then
    echo "setup-demo: $standins/$exe is not built yet." >&2
    exit 1
  fi
done

# A Linux path as Wine's drive Z: shows it.
winpath() { printf 'Z:%s' "${1//\//\\}"; }

ini=$build/Marobex.ini
if [ ! -f "$ini" ]; then
  {
    printf '[PATH]\r\n'
    printf 'VIRTUALDUBPATH=%s\r\n' "$(winpath "$standins/VirtualDub.exe")"
    printf 'NANDUBPATH=%s\r\n' "$(winpath "$standins/NanDub.exe")"
    printf 'BESWEETPATH=%s\r\n' "$(winpath "$standins/BeSweet.exe")"
  } >"$ini"
  echo "setup-demo: wrote $ini (the stand-in encoders)"
fi

export WINEPREFIX=$build/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
sample="$WINEPREFIX/drive_c/Marobex Sample"
if [ ! -f "$sample/sample.avi" ] || [ ! -f "$sample/sample.ac3" ]; then
  # The first start of Wine also creates the prefix.
  "$root/cmake/wine-run.sh" "$standins/MakeDemoSample.exe" 'C:\Marobex Sample' >/dev/null
  echo "setup-demo: wrote the sample source C:\\Marobex Sample\\sample.avi and sample.ac3"
fi
