#!/bin/sh
# Installs the built game into a temporary prefix and starts it through the
# installed launcher, as a player would after `cmake --install`.
#   install_test.sh <build dir>
set -eu
build=$1
tmp=$(mktemp -d "${TMPDIR:-/tmp}/tripath-install.XXXXXX")
trap 'rm -rf "$tmp"' EXIT
cmake --install "$build" --prefix "$tmp/prefix" >/dev/null

fail() { echo "install_test: $*" >&2; exit 1; }
[ -x "$tmp/prefix/bin/tripath" ] || fail "no launcher"
[ -f "$tmp/prefix/share/tripath/data/levels.png" ] || fail "no level image"
grep -q '^Exec=tripath$' "$tmp/prefix/share/applications/tripath.desktop" || fail "desktop entry"
[ -f "$tmp/prefix/share/icons/hicolor/256x256/apps/tripath.png" ] || fail "no icon"
[ -f "$tmp/prefix/share/icons/hicolor/16x16/apps/tripath.png" ] || fail "no small icon"
version=$(sed -n 's/^project(Tripath VERSION \([0-9.]*\).*/\1/p' "$(dirname "$0")/../../CMakeLists.txt")
[ "$(TRIPATH_HOME="$tmp/v" "$tmp/prefix/bin/tripath" --version)" = "Tripath $version" ] || fail "--version"

# A copy of the data left by ./play.sh is replaced by a link; progress stays.
mkdir -p "$tmp/home/data"
echo "saved" > "$tmp/home/.quarrystate"
TRIPATH_HOME="$tmp/home" ALSOFT_DRIVERS=none "$tmp/prefix/bin/tripath" >"$tmp/out.txt" 2>&1 &
game=$!
xdotool search --sync --onlyvisible --name '^Tripath$' >/dev/null
[ -L "$tmp/home/data" ] || fail "data is not linked"
[ "$(cat "$tmp/home/.quarrystate")" = "saved" ] || fail "progress was touched"
sleep 1
wmctrl -c Tripath
status=0
wait $game || status=$?
[ $status -eq 0 ] || fail "the game ended with status $status"
echo "install_test: ok"
