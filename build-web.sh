#!/bin/sh
# Builds the browser version from Debian packages only:
#   dist/tripath-web/      index.html, manifest.webmanifest, icon.png and the
#                          game's tripath.<hash>.js, .wasm and .data (named by
#                          their contents, so caches never mix versions), the
#                          code also gzipped beside it: put the folder on any
#                          static web host, in a sub-folder too
#   dist/tripath-<version>-web.zip
#                          the same files, index.html at its root, for upload
# Installs what is missing (Debian's emscripten and binaryen), makes the
# data with the asset tools of a native build (build/) and builds the game
# with emscripten in build-web/.
. "$(dirname "$0")/scripts/common.sh"

PACKAGES="$PACKAGES emscripten binaryen zip gzip"
install_packages
# Debian's emscripten loads its JavaScript modules from Debian's own folder,
# whichever node runs it.
NODE_PATH=/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}
export NODE_PATH

jobs=$(nproc)
native="$ROOT/build"
web="$ROOT/build-web"

# The data comes from the asset tools, which run here.
cmake -S "$ROOT" -B "$native" >/dev/null
cmake --build "$native" -j "$jobs" --target tripath_game_data

emcmake cmake -S "$ROOT" -B "$web" -DCMAKE_BUILD_TYPE=Release -DTRIPATH_TESTS=OFF \
  -DTRIPATH_HOST_DATA_DIR="$native/game/data" >/dev/null
cmake --build "$web" -j "$jobs"

stage="$ROOT/dist/tripath-web"
rm -rf "$stage"
mkdir -p "$stage"
for file in manifest.webmanifest icon.png; do
  cp "$web/game/$file" "$stage/"
done
# The game's files under names made from their contents, which the page
# names; the page itself keeps its name and is the one file to revalidate.
page=$(cat "$web/game/index.html")
for file in tripath.js tripath.wasm tripath.data; do
  hash=$(sha256sum "$web/game/$file" | cut -c1-12)
  named="${file%.*}.$hash.${file##*.}"
  cp "$web/game/$file" "$stage/$named"
  page=$(printf '%s\n' "$page" | sed "s|\"$file\": \"$file\"|\"$file\": \"$named\"|")
  # For hosts that do not compress the code themselves (the data package is
  # mostly PNG and would shrink by a tenth).
  [ "$file" = tripath.data ] || gzip -9 -n -k "$stage/$named"
done
printf '%s\n' "$page" > "$stage/index.html"
grep -q '"tripath.wasm": "tripath\.[0-9a-f]*\.wasm"' "$stage/index.html" ||
  { echo "index.html does not name the game's files" >&2; exit 1; }
zip_file="$ROOT/dist/tripath-$(tripath_version)-web.zip"
rm -f "$zip_file"
(cd "$stage" && zip -q -r -9 "$zip_file" .)
echo "Wrote $stage and $zip_file"

# Everything a player's browser downloads must stay within 8 MB.
bytes=$(find "$stage" -type f ! -name '*.gz' -exec cat {} + | wc -c)
echo "Download: $bytes bytes (page, manifest, icon, script, wasm, data package)"
if [ "$bytes" -gt 8000000 ]; then
  echo "The download is larger than 8 MB." >&2
  exit 1
fi
