#!/bin/sh
# The Debian package as a player gets it: built from the install rules,
# installed with apt (which brings in its dependencies), /usr/games/tripath
# started under Xvfb (its window opens, a close ends it with status 0 and
# saves the progress), then the package removed: the program goes, the
# player's progress in ~/.local/share/tripath stays.
#   package_test.sh <source folder>
set -u
root=$1
work=$(mktemp -d "${TMPDIR:-/tmp}/tripath-package.XXXXXX")
installed=0
game=
if [ "$(id -u)" -eq 0 ]; then sudo=""; else sudo="sudo"; fi
remove() {
  DEBIAN_FRONTEND=noninteractive $sudo apt-get remove -y -q tripath >"$work/remove.txt" 2>&1
}
fail() {
  echo "FAIL: $*" >&2
  [ -n "$game" ] && kill "$game" 2>/dev/null
  [ $installed -eq 1 ] && remove
  rm -rf "$work"
  exit 1
}
. "$(dirname "$0")/../support/game_window.sh"
dpkg-query -W -f='${Status}' tripath 2>/dev/null | grep -q "install ok installed" &&
  fail "tripath is installed on this machine already; the test would replace it"

"$root/scripts/build-deb.sh" "$work" >"$work/build.txt" 2>&1 || {
  cat "$work/build.txt" >&2
  fail "building the package failed"
}
deb=$(ls "$work"/tripath_*_amd64.deb)
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q "$deb" >"$work/install.txt" 2>&1 || {
  cat "$work/install.txt" >&2
  fail "apt could not install $deb"
}
installed=1
for file in /usr/games/tripath /usr/share/games/tripath/data/levels.png \
  /usr/share/applications/tripath.desktop /usr/share/icons/hicolor/48x48/apps/tripath.png \
  /usr/share/metainfo/org.tripath.tripath.metainfo.xml /usr/share/man/man6/tripath.6.gz \
  /usr/share/doc/tripath/copyright; do
  [ -e "$file" ] || fail "the package has no $file"
done

home=$work/home
mkdir -p "$home"
env -u TRIPATH_HOME -u XDG_DATA_HOME HOME="$home" ALSOFT_DRIVERS=null /usr/games/tripath \
  >"$work/game.txt" 2>&1 &
game=$!
[ -n "$(find_window)" ] || { cat "$work/game.txt" >&2; fail "the game opened no window"; }
sleep 2
close_game "$game"
game=
[ $status -eq 0 ] || { cat "$work/game.txt" >&2; fail "the game ended with status $status"; }
progress=$home/.local/share/tripath/.quarrystate
[ -s "$progress" ] || fail "closing saved no progress in ~/.local/share/tripath"
cp "$progress" "$work/saved"

remove || { cat "$work/remove.txt" >&2; fail "apt could not remove the package"; }
installed=0
[ ! -e /usr/games/tripath ] || fail "the program stayed after removal"
cmp -s "$progress" "$work/saved" || fail "the player's progress did not survive the removal"
rm -rf "$work"
echo "package_test: ok"
