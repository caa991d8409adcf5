#!/usr/bin/env bash
# Installs the stand-in video codecs into the build's Wine prefix, so codec
# detection finds DivX 5 Pro, DivX 4, XviD and DivX 3 there. For
# demonstrations only: they describe themselves and encode nothing.
set -euo pipefail
cd "$(dirname "$0")/.."
export WINEPREFIX="${WINEPREFIX:-$PWD/build/win64/wineprefix}" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
dll="$PWD/build/win64/testkit/StandinCodec.dll"
[ -f "$dll" ] || { echo "StandinCodec.dll is not built" >&2; exit 1; }
winpath="Z:$(echo "$dll" | tr '/' '\\')"
key='HKLM\Software\Microsoft\Windows NT\CurrentVersion\Drivers32'
for fourcc in DX50 DIVX XVID DIV3 DIV4; do
  cmake/wine-run.sh reg add "$key" /v "vidc.$fourcc" /d "$winpath" /f >/dev/null 2>&1
done
