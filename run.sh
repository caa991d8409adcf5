#!/usr/bin/env bash
# Builds Marobex and starts it (under Wine on Linux). Safe to run again.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh

jobs=$(nproc 2>/dev/null || echo 2)
cmake --preset win64 >/dev/null
cmake --build --preset win64 -j "$jobs"
exec scripts/start.sh "$@"
