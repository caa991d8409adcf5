#!/usr/bin/env bash
# Builds the release package: the 32-bit programs (marobex.exe, Codec.exe,
# Priority.exe and the console runner) with the user guide, in
# build/win32/Marobex-<version>-win32.zip. The build's messages go to stderr;
# stdout gets the path of the zip alone, for scripts. Safe to run again.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh >&2

jobs=$(nproc 2>/dev/null || echo 2)
cmake --preset win32 >&2
cmake --build --preset win32 -j "$jobs" --target package >&2

name=$(sed -n 's/^set(CPACK_PACKAGE_FILE_NAME "\(.*\)")$/\1/p' build/win32/CPackConfig.cmake)
zip="$PWD/build/win32/$name.zip"
if [ -z "$name" ] || [ ! -f "$zip" ]; then
  echo "The package was not made (see the messages above)." >&2
  exit 1
fi
echo "$zip"
