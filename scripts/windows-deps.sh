#!/bin/sh
# Cross-builds the Windows libraries the game links against from Debian's
# own source packages: GLFW 3 and OpenAL Soft (as DLLs) and GoogleTest (for
# the tests, from libgtest-dev's sources). They go into a cache folder outside
# the clone, one folder per set of source versions, so later builds reuse
# them. Prints the folder (the install prefix) on its last line.
#   TRIPATH_WINDOWS_DEPS_CACHE  cache root (default ~/.cache/tripath/windows-deps)
#   TRIPATH_JOBS                parallel compile jobs (default 2)
set -eu

ROOT=$(cd "$(dirname "$0")/.." && pwd)
TOOLCHAIN=$ROOT/cmake/mingw-w64-x86_64.cmake
CACHE=${TRIPATH_WINDOWS_DEPS_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/tripath/windows-deps}
JOBS=${TRIPATH_JOBS:-2}
if [ "$(id -u)" -eq 0 ]; then sudo=""; else sudo="sudo"; fi

# Bookworm's openal-soft source files are gone from the mirrors, so OpenAL
# Soft comes from the next release's source package; GLFW stays at the
# version the Linux build uses.
SOURCES="glfw3/bookworm openal-soft/trixie"
dsc_version() {  # dsc_version <package>: the version apt-get source would fetch
  apt-get source --print-uris -q $SOURCES 2>/dev/null |
    sed -n "s/.* $1_\([^ ]*\)\.dsc .*/\1/p" | head -n 1
}
# apt-get source needs the matching deb-src entries; add them when missing.
if [ -z "$(dsc_version openal-soft)" ]; then
  echo "Enabling Debian source packages" >&2
  printf '%s\n' "Types: deb-src" "URIs: http://deb.debian.org/debian" \
    "Suites: bookworm bookworm-updates trixie" "Components: main" \
    "Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg" |
    $sudo tee /etc/apt/sources.list.d/tripath-deb-src.sources >/dev/null
  $sudo apt-get update -q >&2
fi

GLFW_VERSION=$(dsc_version glfw3)
OPENAL_VERSION=$(dsc_version openal-soft)
GTEST_VERSION=$(dpkg-query -W -f='${Version}' googletest)
GCC_VERSION=$(x86_64-w64-mingw32-g++-posix -dumpversion)
[ -n "$GLFW_VERSION" ] && [ -n "$OPENAL_VERSION" ] || {
  echo "windows-deps: no source versions for glfw3/openal-soft" >&2
  exit 1
}
KEY=$(echo "glfw3-$GLFW_VERSION-openal-soft-$OPENAL_VERSION-googletest-$GTEST_VERSION-gcc-$GCC_VERSION" |
  tr ':~+' '___')
PREFIX=$CACHE/$KEY
if [ -f "$PREFIX/.complete" ]; then
  echo "$PREFIX"
  exit 0
fi

WORK=$CACHE/work-$KEY
rm -rf "$WORK" "$PREFIX"
mkdir -p "$WORK" "$PREFIX/share/licenses"
cd "$WORK"
echo "Fetching Debian sources: glfw3 $GLFW_VERSION, openal-soft $OPENAL_VERSION" >&2
# Only the upstream tarballs are needed (Debian's packaging files are not,
# and trixie's are missing from some mirrors). apt's own downloader checks
# each against the checksum from the signed source index.
apt-get source --print-uris -q $SOURCES | grep "^'" |
  while read -r uri name size hash; do
    case $name in *.orig.tar.*) ;; *) continue ;; esac
    uri=${uri#\'}
    uri=${uri%\'}
    /usr/lib/apt/apt-helper download-file "$uri" "$WORK/$name" "$hash" >&2
    package=${name%%_*}
    mkdir -p "$WORK/$package-src"
    tar -xf "$WORK/$name" -C "$WORK/$package-src" --strip-components=1
  done
[ -d "$WORK/glfw3-src" ] && [ -d "$WORK/openal-soft-src" ] || {
  echo "windows-deps: could not fetch the sources" >&2
  exit 1
}

cross() {  # cross <source> <build> [cmake args...]
  src=$1 bld=$2
  shift 2
  cmake -S "$src" -B "$bld" -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$PREFIX" "$@" >&2
  cmake --build "$bld" -j "$JOBS" >&2
  cmake --install "$bld" >&2
}

glfw_src=$WORK/glfw3-src
cross "$glfw_src" "$WORK/build-glfw" -DBUILD_SHARED_LIBS=ON -DGLFW_BUILD_EXAMPLES=OFF \
  -DGLFW_BUILD_TESTS=OFF -DGLFW_BUILD_DOCS=OFF
cp "$glfw_src/LICENSE.md" "$PREFIX/share/licenses/GLFW-LICENSE.txt"

openal_src=$WORK/openal-soft-src
cross "$openal_src" "$WORK/build-openal" -DALSOFT_UTILS=OFF -DALSOFT_EXAMPLES=OFF \
  -DALSOFT_NO_CONFIG_UTIL=ON -DALSOFT_INSTALL_CONFIG=OFF -DALSOFT_INSTALL_HRTF_DATA=OFF \
  -DALSOFT_INSTALL_AMBDEC_PRESETS=OFF -DALSOFT_INSTALL_EXAMPLES=OFF -DALSOFT_INSTALL_UTILS=OFF
cp "$openal_src/COPYING" "$PREFIX/share/licenses/OpenAL-Soft-COPYING.txt"

cross /usr/src/googletest "$WORK/build-googletest" -DBUILD_GMOCK=OFF -DINSTALL_GTEST=ON

rm -rf "$WORK"
touch "$PREFIX/.complete"
echo "$PREFIX"
