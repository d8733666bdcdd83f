#!/bin/sh
# Installs the built game into a temporary prefix and starts it through the
# installed launcher, as a player would after `cmake --install`.
#   install_test.sh <build dir> <project version>
set -eu
build=$1
version=$2
tmp=$(mktemp -d "${TMPDIR:-/tmp}/tripath-install.XXXXXX")
game=
trap '[ -z "$game" ] || kill "$game" 2>/dev/null; rm -rf "$tmp"' EXIT
cmake --install "$build" --prefix "$tmp/prefix" >/dev/null

fail() { echo "install_test: $*" >&2; exit 1; }
. "$(dirname "$0")/../support/game_window.sh"
[ -x "$tmp/prefix/bin/tripath" ] || fail "no launcher"
[ -f "$tmp/prefix/share/tripath/data/levels.png" ] || fail "no level image"
grep -q '^Exec=tripath$' "$tmp/prefix/share/applications/tripath.desktop" || fail "desktop entry"
[ -f "$tmp/prefix/share/icons/hicolor/256x256/apps/tripath.png" ] || fail "no icon"
[ -f "$tmp/prefix/share/icons/hicolor/16x16/apps/tripath.png" ] || fail "no small icon"
[ "$(TRIPATH_HOME="$tmp/v" "$tmp/prefix/bin/tripath" --version)" = "Tripath $version" ] || fail "--version"

# A copy of the data left by ./play.sh is replaced by a link; progress stays.
mkdir -p "$tmp/home/data"
echo "saved" > "$tmp/home/.quarrystate"
TRIPATH_HOME="$tmp/home" ALSOFT_DRIVERS=none "$tmp/prefix/bin/tripath" >"$tmp/out.txt" 2>&1 &
game=$!
[ -n "$(find_window)" ] || fail "the game opened no window"
[ -L "$tmp/home/data" ] || fail "data is not linked"
[ "$(cat "$tmp/home/.quarrystate")" = "saved" ] || fail "progress was touched"
sleep 1
close_game "$game"
game=
[ $status -eq 0 ] || fail "the game ended with status $status"
echo "install_test: ok"
