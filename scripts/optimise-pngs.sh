#!/bin/sh
# Recompresses every PNG under a folder losslessly with optipng, so the
# downloads are smaller; the pixels stay the same. The results are cached by
# the source file's checksum, so only changed art costs time again.
#   scripts/optimise-pngs.sh <folder>
#   TRIPATH_PNG_CACHE   cache folder (default ~/.cache/tripath/png)
set -eu
folder=$1
cache=${TRIPATH_PNG_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/tripath/png}
mkdir -p "$cache"
command -v optipng >/dev/null 2>&1 || { echo "optimise-pngs: optipng is missing" >&2; exit 1; }
list=$(mktemp)
trap 'rm -f "$list"' EXIT
find "$folder" -name '*.png' >"$list"
while read -r png; do
  sum=$(sha256sum "$png" | cut -c1-64)
  if [ ! -f "$cache/$sum.png" ]; then
    optipng -quiet -o2 -strip all -out "$cache/$sum.tmp.png" "$png" || exit 1
    mv "$cache/$sum.tmp.png" "$cache/$sum.png"
  fi
  cp "$cache/$sum.png" "$png"
done <"$list"
