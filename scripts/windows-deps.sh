#!/bin/sh
# Cross-builds the Windows libraries the game links against from Debian's
# own source packages: GLFW 3 (a static library, linked into tripath.exe),
# OpenAL Soft (a DLL, which its licence lets a player replace) and GoogleTest
# (for the tests, from libgtest-dev's sources). They go into a cache folder outside
# the clone, one folder per set of source versions, toolchain file and build
# flags, so later builds reuse them and a change to any of these builds them
# again. OpenAL Soft's source archive is kept beside them (share/source), as
# its licence asks us to offer it with the DLL. Prints the folder (the
# install prefix) on standard output; progress goes to standard error.
#   TRIPATH_WINDOWS_DEPS_CACHE  cache root (default ~/.cache/tripath/windows-deps)
#   TRIPATH_JOBS                parallel compile jobs (default 2)
set -eu

ROOT=$(cd "$(dirname "$0")/.." && pwd)
TOOLCHAIN=$ROOT/cmake/mingw-w64-x86_64.cmake
CACHE=${TRIPATH_WINDOWS_DEPS_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/tripath/windows-deps}
JOBS=${TRIPATH_JOBS:-2}
if [ "$(id -u)" -eq 0 ]; then sudo=""; else sudo="sudo"; fi
fail() {
  echo "windows-deps: $*" >&2
  exit 1
}

GLFW_FLAGS="-DBUILD_SHARED_LIBS=OFF -DGLFW_BUILD_EXAMPLES=OFF -DGLFW_BUILD_TESTS=OFF \
-DGLFW_BUILD_DOCS=OFF"
OPENAL_FLAGS="-DALSOFT_UTILS=OFF -DALSOFT_EXAMPLES=OFF -DALSOFT_NO_CONFIG_UTIL=ON \
-DALSOFT_INSTALL_CONFIG=OFF -DALSOFT_INSTALL_HRTF_DATA=OFF -DALSOFT_INSTALL_AMBDEC_PRESETS=OFF \
-DALSOFT_INSTALL_EXAMPLES=OFF -DALSOFT_INSTALL_UTILS=OFF"
GTEST_FLAGS="-DBUILD_GMOCK=OFF -DINSTALL_GTEST=ON"
COMMON_FLAGS="-DCMAKE_BUILD_TYPE=Release"

# Earlier versions of this script added a source list under /etc/apt; the
# sources now come through a private apt configuration, so it goes.
old_list=/etc/apt/sources.list.d/tripath-deb-src.sources
if [ -f "$old_list" ]; then
  echo "Removing $old_list (no longer used)" >&2
  $sudo rm -f "$old_list"
fi

# A private apt configuration: its own source list and lists folder in the
# cache, leaving the system's /etc/apt and /var/lib/apt as they are. The
# mirror is the one the system already uses for Debian.
APT=$CACHE/apt
mirror=$(sed -n 's#^URIs: *\([^ ]*/debian\)/*$#\1#p' /etc/apt/sources.list.d/*.sources 2>/dev/null |
  head -n 1)
[ -n "$mirror" ] || mirror=$(sed -n 's#^deb \(\[[^]]*\] \)\{0,1\}\([^ ]*/debian\)/* .*#\2#p' \
  /etc/apt/sources.list 2>/dev/null | head -n 1)
[ -n "$mirror" ] || mirror=http://deb.debian.org/debian
mkdir -p "$APT/lists/partial" "$APT/cache/archives/partial" "$APT/sources.list.d"
printf '%s\n' "Types: deb-src" "URIs: $mirror" "Suites: bookworm trixie" "Components: main" \
  "Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg" >"$APT/sources.list.d/debian-src.sources"
private_apt() {
  apt-get -q -o Dir::Etc::SourceList=/dev/null -o Dir::Etc::SourceParts="$APT/sources.list.d" \
    -o Dir::State::Lists="$APT/lists" -o Dir::Cache="$APT/cache" -o Dir::State::Status=/var/lib/dpkg/status \
    -o APT::Sandbox::User="$(id -un)" -o Debug::NoLocking=1 "$@"
}
refreshed=0
refresh_lists() {
  echo "Updating the source package lists in $APT" >&2
  private_apt update >&2 || fail "apt-get update of the source lists failed"
  refreshed=1
}

# Bookworm's openal-soft source files are gone from the mirrors, so OpenAL
# Soft comes from the next release's source package; GLFW stays at the
# version the Linux build uses.
SOURCES="glfw3/bookworm openal-soft/trixie"
GTEST_VERSION=$(dpkg-query -W -f='${Version}' googletest)
GCC_VERSION=$(x86_64-w64-mingw32-g++-posix -dumpversion)
BUILD_HASH=$( (cat "$TOOLCHAIN"; echo "$COMMON_FLAGS|$GLFW_FLAGS|$OPENAL_FLAGS|$GTEST_FLAGS") |
  sha256sum | cut -c1-12)
dsc_version() {  # dsc_version <package>: the version apt-get source would fetch
  printf '%s\n' "$uris" | sed -n "s/.* $1_\([^ ]*\)\.dsc .*/\1/p" | head -n 1
}
# lookup: the source versions the lists name, and the cache folder of a
# build from them (PREFIX).
lookup() {
  uris=$(private_apt source --print-uris $SOURCES) || return 1
  GLFW_VERSION=$(dsc_version glfw3)
  OPENAL_VERSION=$(dsc_version openal-soft)
  [ -n "$GLFW_VERSION" ] && [ -n "$OPENAL_VERSION" ] || return 1
  KEY=$(echo "glfw3-$GLFW_VERSION-openal-soft-$OPENAL_VERSION-googletest-$GTEST_VERSION-gcc-$GCC_VERSION-$BUILD_HASH" |
    tr ':~+' '___')
  PREFIX=$CACHE/$KEY
}
# A finished build ends the script here.
use_cached() {
  if [ -f "$PREFIX/.complete" ]; then
    echo "$PREFIX"
    exit 0
  fi
}

# fetch: the upstream tarballs of the sources, unpacked in WORK. Only they
# are needed (Debian's packaging files are not, and trixie's are missing
# from some mirrors). apt's own downloader checks each against the checksum
# from the signed source index.
fetch() {
  WORK=$CACHE/work-$KEY
  rm -rf "$WORK" "$PREFIX"
  mkdir -p "$WORK" "$PREFIX/share/licenses" "$PREFIX/share/source"
  echo "Fetching Debian sources: glfw3 $GLFW_VERSION, openal-soft $OPENAL_VERSION" >&2
  printf '%s\n' "$uris" | grep "^'" | grep '\.orig\.tar\.' >"$WORK/tarballs" || return 1
  while read -r uri name size hash; do
    uri=${uri#\'}
    uri=${uri%\'}
    /usr/lib/apt/apt-helper -o APT::Sandbox::User="$(id -un)" download-file "$uri" "$WORK/$name" "$hash" >&2 || {
      echo "windows-deps: could not download $name" >&2
      return 1
    }
    package=${name%%_*}
    mkdir -p "$WORK/$package-src"
    tar -xf "$WORK/$name" -C "$WORK/$package-src" --strip-components=1 || return 1
  done <"$WORK/tarballs"
  [ -d "$WORK/glfw3-src" ] && [ -d "$WORK/openal-soft-src" ]
}

# The lists are fetched only when they are missing or fail us: a finished
# build found through them needs no network, however old they are. Old
# lists may name files the mirror has dropped; then they are updated and
# the lookup and the download tried once more.
[ -n "$(find "$APT/lists" -maxdepth 1 -name '*Sources*' | head -n 1)" ] || refresh_lists
if ! lookup; then
  [ $refreshed -eq 0 ] || fail "apt-get source found no $SOURCES"
  refresh_lists
  lookup || fail "apt-get source found no $SOURCES"
fi
use_cached
if ! fetch; then
  [ $refreshed -eq 0 ] || fail "could not fetch the sources of $SOURCES"
  echo "windows-deps: trying again with updated lists" >&2
  refresh_lists
  lookup || fail "apt-get source found no $SOURCES"
  use_cached
  fetch || fail "could not fetch the sources of $SOURCES"
fi
cd "$WORK"
cp "$WORK"/openal-soft_*.orig.tar.* "$PREFIX/share/source/"

cross() {  # cross <source> <build> [cmake args...]
  src=$1 bld=$2
  shift 2
  cmake -S "$src" -B "$bld" -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN" $COMMON_FLAGS \
    -DCMAKE_INSTALL_PREFIX="$PREFIX" "$@" >&2 || fail "configuring $src failed"
  cmake --build "$bld" -j "$JOBS" >&2 || fail "building $src failed"
  cmake --install "$bld" >&2 || fail "installing $src failed"
}

glfw_src=$WORK/glfw3-src
cross "$glfw_src" "$WORK/build-glfw" $GLFW_FLAGS
cp "$glfw_src/LICENSE.md" "$PREFIX/share/licenses/GLFW-LICENSE.txt"

openal_src=$WORK/openal-soft-src
cross "$openal_src" "$WORK/build-openal" $OPENAL_FLAGS
cp "$openal_src/COPYING" "$PREFIX/share/licenses/OpenAL-Soft-COPYING.txt"

cross /usr/src/googletest "$WORK/build-googletest" $GTEST_FLAGS

rm -rf "$WORK"
touch "$PREFIX/.complete"
echo "$PREFIX"
