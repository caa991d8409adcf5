#!/usr/bin/env bash
# Prepares the build so that a new user can watch a whole run without the
# real encoders and codecs (see docs/standins.md):
# - Marobex.ini beside marobex.exe, pointing at the stand-in VirtualDub,
#   Nandub and BeSweet;
# - the stand-in video codecs registered in the build's Wine prefix, so that
#   codec detection offers every codec;
# - a small sample source in that prefix, "C:\Marobex Sample\sample.avi",
#   with "sample.ac3" for an audio stream.
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
if ! grep -qs 'StandinCodec.dll' "$WINEPREFIX/system.reg"; then
  if "$root/scripts/install-standin-codecs.sh"; then
    echo "setup-demo: registered the stand-in video codecs"
  else
    echo "setup-demo: the stand-in video codecs could not be registered." >&2
  fi
fi

sample="$WINEPREFIX/drive_c/Marobex Sample"
if [ ! -f "$sample/sample.avi" ] || [ ! -f "$sample/sample.ac3" ]; then
  # The first start of Wine also creates the prefix.
  "$root/cmake/wine-run.sh" "$standins/MakeDemoSample.exe" 'C:\Marobex Sample' >/dev/null
  echo "setup-demo: wrote the sample source C:\\Marobex Sample\\sample.avi and sample.ac3"
fi

# Without a display the main window can only be photographed; the console
# runner shows a whole run in the terminal.
if [ $setup_only = 0 ] && [ -z "${DISPLAY:-}" ] && [ -f "$build/marobex-cli.exe" ]; then
  echo "No display: a sample run through the console runner first."
  "$root/scripts/demo-cli.sh" "$build" || echo "setup-demo: the sample run did not go through." >&2
fi
