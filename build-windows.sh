#!/bin/sh
# Builds the Windows downloads from Debian packages only, into dist/:
#   tripath-<version>-windows-x86_64.zip         the game: tripath.exe (GLFW linked in) and
#                                                OpenAL32.dll (stripped), data\, README,
#                                                licences and notices
#   tripath-<version>-windows-x86_64-setup.exe   the same as an installer (NSIS)
#   tripath-<version>-windows-x86_64-debug.zip   the debug information of the two binaries
#   openal-soft_<version>.orig.tar.*             OpenAL Soft's source, as its licence asks
# Installs the missing Debian packages, cross-builds GLFW and OpenAL Soft
# from Debian's sources once (scripts/windows-deps.sh keeps them in
# ~/.cache/tripath/windows-deps), makes the data with the asset tools of a
# native build (build/) and cross-builds the game and its Windows tests
# (build-windows/). Any failing step ends the script with an error.
. "$(dirname "$0")/scripts/common.sh"

PACKAGES="$PACKAGES g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix wine wine64 \
zip unzip nsis optipng"
install_packages

jobs=$(nproc)
native="$ROOT/build"
cross="$ROOT/build-windows"
version=$(tripath_version)
name=tripath-$version-windows-x86_64
dist=$ROOT/dist
MINGW=x86_64-w64-mingw32

# The data and the icon come from the asset tools, which run here.
cmake -S "$ROOT" -B "$native" >/dev/null
cmake --build "$native" -j "$jobs" --target tripath_game_data

deps=$("$ROOT/scripts/windows-deps.sh")

# A new set of libraries (new sources or build flags) lives in a folder of its
# own; the packages found in the old one stay in CMake's cache, so a build
# folder made for another set starts its configuration afresh.
if [ -f "$cross/CMakeCache.txt" ] &&
  grep -F "$(dirname "$deps")/" "$cross/CMakeCache.txt" | grep -qvF "$deps"; then
  rm -f "$cross/CMakeCache.txt"
fi
cmake -S "$ROOT" -B "$cross" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64-x86_64.cmake" \
  -DTRIPATH_WINDOWS_DEPS="$deps" -DTRIPATH_HOST_DATA_DIR="$native/game/data" \
  -DTRIPATH_WINDOWS_ZIP="$dist/$name.zip" -DTRIPATH_WINDOWS_SETUP="$dist/$name-setup.exe" >/dev/null
cmake --build "$cross" -j "$jobs"

# The download: one folder, unpacked anywhere. The binaries ship stripped;
# their debug information goes into the debug archive, linked by name.
package="$cross/package"
stage="$package/Tripath"
debug="$package/debug"
rm -rf "$package"
mkdir -p "$stage/licences" "$debug"
cp "$cross/game/tripath.exe" "$deps/bin/OpenAL32.dll" "$stage/"
for binary in tripath.exe OpenAL32.dll; do
  $MINGW-objcopy --only-keep-debug "$stage/$binary" "$debug/$binary.debug"
  $MINGW-strip --strip-unneeded "$stage/$binary"
  (cd "$debug" && $MINGW-objcopy --add-gnu-debuglink="$binary.debug" "$stage/$binary")
done
cp -r "$native/game/data" "$stage/data"
"$ROOT/scripts/optimise-pngs.sh" "$stage/data"
cp "$deps/share/licenses/"* "$stage/licences/"
openal_source=$(basename "$(ls "$deps"/share/source/openal-soft_*.orig.tar.*)")
crlf() { sed 's/$/\r/' "$@"; }
crlf "$ROOT/dist/windows/README.txt" >"$stage/README.txt"
crlf "$ROOT/LICENSE" >"$stage/LICENSE.txt"
sed "s/@OPENAL_SOURCE@/$openal_source/" "$ROOT/dist/THIRD-PARTY-NOTICES.txt.in" | crlf >"$stage/THIRD-PARTY-NOTICES.txt"

mkdir -p "$dist"
rm -f "$dist/$name.zip" "$dist/$name-debug.zip"
(cd "$package" && zip -q -r -9 "$dist/$name.zip" Tripath)
(cd "$debug" && zip -q -9 "$dist/$name-debug.zip" ./*.debug)
cp "$deps/share/source/$openal_source" "$dist/"
echo "Wrote $dist/$name.zip ($(du -k "$dist/$name.zip" | cut -f1) KB)"

# The uninstaller deletes each installed file by name, then the folders
# from the deepest up, and nothing else.
filelist="$package/uninstall-files.nsh"
(cd "$stage" && find . -type f | sed 's|^\./||; s|/|\\|g; s|.*|  Delete "$INSTDIR\\&"|' &&
  find . -mindepth 1 -type d | sort -r | sed 's|^\./||; s|/|\\|g; s|.*|  RMDir "$INSTDIR\\&"|') >"$filelist"
makensis -V2 -DSTAGE="$stage" -DOUTFILE="$dist/$name-setup.exe" -DVERSION="$version" \
  -DICON="$native/game/icons/tripath.ico" -DFILELIST="$filelist" -NOCD "$ROOT/dist/windows/installer.nsi"
echo "Wrote $dist/$name-setup.exe"
