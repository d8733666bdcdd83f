#!/bin/sh
# Builds the Windows download from Debian packages only:
#   dist/tripath-windows-x86_64.zip   tripath.exe, its two DLLs, data\, README.txt, licences
#   dist/tripath-windows-x86_64-setup.exe   the same as an installer (NSIS)
# Installs the missing Debian packages, cross-builds GLFW and OpenAL Soft
# from Debian's sources once (scripts/windows-deps.sh keeps them in
# ~/.cache/tripath/windows-deps), makes the data with the asset tools of a
# native build (build/) and cross-builds the game and its Windows tests
# (build-windows/).
. "$(dirname "$0")/scripts/common.sh"

PACKAGES="$PACKAGES g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix wine wine64 \
dpkg-dev zip nsis vorbis-tools imagemagick"
install_packages

jobs=$(nproc)
native="$ROOT/build"
cross="$ROOT/build-windows"

# The data comes from the asset tools, which run here.
cmake -S "$ROOT" -B "$native" >/dev/null
cmake --build "$native" -j "$jobs" --target tripath_game_data

deps=$("$ROOT/scripts/windows-deps.sh" | tail -n 1)

cmake -S "$ROOT" -B "$cross" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64-x86_64.cmake" \
  -DTRIPATH_WINDOWS_DEPS="$deps" -DTRIPATH_HOST_DATA_DIR="$native/game/data" >/dev/null
cmake --build "$cross" -j "$jobs"

# The download: one folder, unpacked anywhere.
stage="$cross/package/Tripath"
rm -rf "$cross/package"
mkdir -p "$stage/licences"
cp "$cross/game/tripath.exe" "$deps/bin/glfw3.dll" "$deps/bin/OpenAL32.dll" "$stage/"
cp -r "$native/game/data" "$stage/data"
cp "$deps/share/licenses/"* "$stage/licences/"
sed 's/$/\r/' "$ROOT/dist/windows/README.txt" >"$stage/README.txt"
mkdir -p "$ROOT/dist"
zip_file="$ROOT/dist/tripath-windows-x86_64.zip"
rm -f "$zip_file"
(cd "$cross/package" && zip -q -r -9 "$zip_file" Tripath)
echo "Wrote $zip_file"

if command -v makensis >/dev/null 2>&1; then
  makensis -V2 -DSTAGE="$stage" -DOUTFILE="$ROOT/dist/tripath-windows-x86_64-setup.exe" \
    -DICON="$cross/app/tripath.ico" -NOCD "$ROOT/dist/windows/installer.nsi"
  echo "Wrote $ROOT/dist/tripath-windows-x86_64-setup.exe"
fi
