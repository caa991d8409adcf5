#!/usr/bin/env bash
# Starts the built Marobex under Wine, in the build's own Wine prefix.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup-demo.sh || echo "start: the stand-in demonstration could not be set up." >&2
export WINEPREFIX="$PWD/build/win64/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
exe=build/win64/marobex.exe
if [ ! -f "$exe" ]; then
  echo "marobex.exe is not built yet." >&2
  exit 1
fi
exec cmake/wine-run.sh "$exe" "$@"
