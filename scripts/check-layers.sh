#!/usr/bin/env bash
# Fails when a source file includes a folder above its own. The folders of
# src/ and tools/ stand in layers, the model at the bottom:
#
#   model  <  codecstate, env  <  jobs  <  run  <  app
#          <  the shipped tools (codec, engine, marobex-cli, priority)  <  testkit
#
# A file may include its own folder (by file name) and any folder of a lower
# layer, never one of its own layer (that is how cycles start) or above; the
# tools never include the windows of app/. Every quoted include is checked:
# one by file name must name a file of the file's own folder, and one by
# folder must name a folder of src/ or tools/.
set -euo pipefail
cd "${1:-$(dirname "$0")/..}"

declare -A rank=([model]=0 [codecstate]=1 [env]=1 [jobs]=2 [run]=3 [app]=4
                 [codec]=5 [engine]=5 [marobex-cli]=5 [priority]=5 [testkit]=6)
bad=0
while IFS= read -r -d '' f; do
  own=${f#*/}; own=${own%%/*}; mine=${rank[$own]:-}
  if [ -z "$mine" ]; then echo "$f: ${f%%/*}/$own is not a known layer"; bad=1; continue; fi
  while IFS= read -r inc; do
    dir=${inc%%/*}
    if [ "$dir" = "$inc" ]; then
      [ -f "$(dirname "$f")/$inc" ] || { echo "$f includes $inc: no such file in its own folder"; bad=1; }
      continue
    fi
    theirs=${rank[$dir]:-}
    if [ -z "$theirs" ] || { [ ! -d "src/$dir" ] && [ ! -d "tools/$dir" ]; }; then
      echo "$f includes $inc: $dir/ is not a folder of src/ or tools/"; bad=1
    elif [ "$dir" = "$own" ]; then
      continue
    elif [ "${f%%/*}" = tools ] && [ "$dir" = app ]; then
      echo "$f includes $inc: the tools never include the windows"; bad=1
    elif [ "$theirs" -ge "$mine" ]; then
      echo "$f includes $inc: $dir/ is not below $own/"; bad=1
    fi
  done < <(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\)".*/\1/p' "$f")
done < <(find src tools -type f \( -name '*.h' -o -name '*.cpp' -o -name '*.rc' -o -name '*.def' \) -print0)

if [ "$bad" -ne 0 ]; then
  echo "Includes must go down the layers: model < codecstate, env < jobs < run < app < tools < testkit." >&2
  exit 1
fi
echo "layers: every include goes down"
