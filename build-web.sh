#!/bin/sh
# Builds the browser version from Debian packages only:
#   dist/tripath-web/      index.html, tripath.js, tripath.wasm, the data
#                          package tripath.data and icon.png: put the folder
#                          on any static web host, in a sub-folder too
#   dist/tripath-<version>-web.zip
#                          the same folder, for upload
# Installs what is missing (Debian's emscripten and binaryen), makes the
# data with the asset tools of a native build (build/) and builds the game
# with emscripten in build-web/.
. "$(dirname "$0")/scripts/common.sh"

PACKAGES="$PACKAGES emscripten binaryen zip"
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
for file in index.html tripath.js tripath.wasm tripath.data icon.png; do
  cp "$web/game/$file" "$stage/"
done
zip_file="$ROOT/dist/tripath-$(tripath_version)-web.zip"
rm -f "$zip_file"
(cd "$ROOT/dist" && zip -q -r -9 "$zip_file" tripath-web)
echo "Wrote $stage and $zip_file"

# Everything a player's browser downloads must stay within 8 MB.
bytes=$(cat "$stage"/* | wc -c)
echo "Download: $bytes bytes (page, script, wasm, data package, icon)"
if [ "$bytes" -gt 8000000 ]; then
  echo "The download is larger than 8 MB." >&2
  exit 1
fi
