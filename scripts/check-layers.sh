#!/usr/bin/env bash
# Fails when a source file includes a folder above its own. The folders of
# src/ stand in layers, the model at the bottom and the windows on top:
#
#   model  <  codecstate, env  <  jobs  <  run  <  app  <  tools
#
# A file may include its own folder and any folder of a lower layer, never
# one of its own layer (that is how cycles start) or above. tools/ may use
# all of src/ but never the windows of app/.
set -euo pipefail
cd "${1:-$(dirname "$0")/..}"

declare -A rank=([model]=0 [codecstate]=1 [env]=1 [jobs]=2 [run]=3 [app]=4)
bad=0
while IFS= read -r -d '' f; do
  case "$f" in
    src/*) own=${f#src/}; own=${own%%/*}; mine=${rank[$own]:-}
           if [ -z "$mine" ]; then echo "$f: src/$own is not a known layer"; bad=1; continue; fi ;;
    tools/*) own=tools; mine=5 ;;
  esac
  while IFS= read -r inc; do
    dir=${inc%%/*}
    [ "$dir" = "$inc" ] && continue        # same folder, by file name
    theirs=${rank[$dir]:-}
    [ -z "$theirs" ] && continue           # not a layer of src/ (standin/, ...)
    [ "$dir" = "$own" ] && continue
    if [ "$own" = tools ] && [ "$dir" = app ]; then
      echo "$f includes $inc: the tools never include the windows"; bad=1
    elif [ "$theirs" -ge "$mine" ]; then
      echo "$f includes $inc: src/$dir is not below src/$own"; bad=1
    fi
  done < <(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\)".*/\1/p' "$f")
done < <(find src tools -type f \( -name '*.h' -o -name '*.cpp' -o -name '*.rc' -o -name '*.def' \) -print0)

if [ "$bad" -ne 0 ]; then
  echo "Includes must go down the layers: model < codecstate, env < jobs < run < app < tools." >&2
  exit 1
fi
echo "layers: every include goes down"
