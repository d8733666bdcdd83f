#!/bin/sh
# Builds the Debian package from the game's install rules:
#   <out>/tripath_<version>_amd64.deb
#   <out>/tripath-<version>-linux-amd64-debug.tar.xz   the program's debug information
# in its own build folder (build-deb/, Debian's build flags, no tests), and
# checks the package with lintian and its metainfo with appstreamcli.
# Installs the missing Debian packages it needs (those of scripts/common.sh
# and Debian's packaging tools).
#   scripts/build-deb.sh [<out folder>]      (default dist/)
. "$(dirname "$0")/common.sh"

PACKAGES="$PACKAGES dpkg-dev lintian appstream optipng xz-utils"
install_packages

out=${1:-$ROOT/dist}
mkdir -p "$out"
out=$(cd "$out" && pwd)
version=$(tripath_version)
build_dir=$ROOT/build-deb
stage=$build_dir/package
deb=$out/tripath_${version}_amd64.deb
debug=$out/tripath-$version-linux-amd64-debug.tar.xz
fail() {
  echo "build-deb: $*" >&2
  exit 1
}

# Debian's hardening and optimisation flags, with debug information that the
# debug archive keeps.
CFLAGS=$(dpkg-buildflags --get CFLAGS) CXXFLAGS=$(dpkg-buildflags --get CXXFLAGS) \
  LDFLAGS=$(dpkg-buildflags --get LDFLAGS) CPPFLAGS=$(dpkg-buildflags --get CPPFLAGS) \
  cmake -S "$ROOT" -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTRIPATH_TESTS=OFF \
  -DCMAKE_INSTALL_PREFIX=/usr -DCMAKE_INSTALL_BINDIR=games \
  -DTRIPATH_BINARY_SUBDIR=lib/games/tripath -DTRIPATH_DATA_SUBDIR=share/games/tripath/data \
  >/dev/null || fail "configuring failed"
cmake --build "$build_dir" -j "$(nproc)" --target tripath tripath_game_data || fail "building failed"

rm -rf "$stage"
DESTDIR=$stage cmake --install "$build_dir" >/dev/null || fail "installing failed"
"$ROOT/scripts/optimise-pngs.sh" "$stage/usr/share/games/tripath/data"

# The program ships stripped; its debug information goes into the archive,
# found again by the build ID.
program=$stage/usr/lib/games/tripath/tripath
build_id=$(readelf -n "$program" | sed -n 's/.*Build ID: *\([0-9a-f]*\).*/\1/p')
[ -n "$build_id" ] || fail "the program has no build ID"
debug_stage=$build_dir/debug
rm -rf "$debug_stage"
debug_file=$debug_stage/usr/lib/debug/.build-id/$(echo "$build_id" | cut -c1-2)/$(echo "$build_id" | cut -c3-).debug
mkdir -p "$(dirname "$debug_file")"
objcopy --only-keep-debug --compress-debug-sections "$program" "$debug_file"
strip --strip-unneeded --remove-section=.comment --remove-section=.note "$program"
objcopy --add-gnu-debuglink="$debug_file" "$program"
tar -C "$debug_stage" -cJf "$debug" usr

doc=$stage/usr/share/doc/tripath
mkdir -p "$doc"
cp "$ROOT/dist/debian/copyright" "$doc/copyright"
sed "s/@OPENAL_SOURCE@/(not part of this package)/" "$ROOT/dist/THIRD-PARTY-NOTICES.txt.in" |
  gzip -9n >"$doc/THIRD-PARTY-NOTICES.gz"
date=$(git -C "$ROOT" log -1 --format=%aD 2>/dev/null || date -R)
printf '%s\n\n%s\n\n%s\n' "tripath ($version) unstable; urgency=medium" \
  "  * Release $version; see the project's history for the changes." \
  " -- Tripath contributors <tripath@users.noreply.invalid>  $date" | gzip -9n >"$doc/changelog.gz"
gzip -9n "$stage/usr/share/man/man6/tripath.6"
appstreamcli validate --no-net "$stage/usr/share/metainfo/org.tripath.tripath.metainfo.xml" >&2 ||
  fail "the AppStream metainfo is not valid"

# The runtime libraries the program links against, as Debian package names,
# and Mesa's drivers, which it loads through libGL.
shlib=$build_dir/shlibdeps
rm -rf "$shlib"
mkdir -p "$shlib/debian"
printf 'Source: tripath\n\nPackage: tripath\nArchitecture: amd64\n' >"$shlib/debian/control"
depends=$(cd "$shlib" && dpkg-shlibdeps -O "$program" 2>/dev/null | sed -n 's/^shlibs:Depends=//p')
[ -n "$depends" ] || fail "dpkg-shlibdeps found no dependencies"
size=$(du -sk --exclude=DEBIAN "$stage" | cut -f1)
mkdir -p "$stage/DEBIAN"
sed -e "s/@VERSION@/$version/" -e "s/@SIZE@/$size/" -e "s/@DEPENDS@/$depends/" \
  "$ROOT/dist/debian/control.in" >"$stage/DEBIAN/control"
(cd "$stage" && find usr -type f -exec md5sum {} + | sort -k2) >"$stage/DEBIAN/md5sums"
find "$stage" -type d -exec chmod 0755 {} +
find "$stage/usr" -type f -exec chmod 0644 {} +
chmod 0755 "$program" "$stage/usr/games/tripath"

dpkg-deb --root-owner-group -Zxz --build "$stage" "$deb" >/dev/null || fail "dpkg-deb failed"
lintian --fail-on error "$deb" >&2 || fail "lintian found errors in $deb"
echo "Wrote $deb"
echo "Wrote $debug"
