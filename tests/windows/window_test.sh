#!/bin/sh
# The Windows game under Wine, on the display that with_display.sh made:
# unpacked into a fresh folder (with a space in its name), it opens a
# 640 x 480 window titled "Tripath", closes with status 0 when the window
# manager asks, saves its progress under %APPDATA%\Tripath when minimised and
# writes no state file anywhere else.
#   window_test.sh <folder with tripath.exe, its DLLs and data\>
set -u
game=$1
work=$(mktemp -d "${TMPDIR:-/tmp}/tripath-wine.XXXXXX")
pid=
fail() {
  echo "FAIL: $*" >&2
  [ -n "$pid" ] && kill "$pid" 2>/dev/null
  echo "--- game output:" >&2
  cat "$work/out.txt" >&2 2>/dev/null
  rm -rf "$work"
  exit 1
}

install="$work/Tripath Game"
mkdir -p "$install" "$work/elsewhere"
cp "$game/tripath.exe" "$game"/*.dll "$install/" || fail "no tripath.exe or DLLs in $game"
cp -r "$game/data" "$install/data" || fail "no data in $game"

# Started from another folder: the game finds data\ beside the executable.
(cd "$work/elsewhere" && exec wine "$install/tripath.exe") >"$work/out.txt" 2>&1 &
pid=$!

window=$(timeout 180 xdotool search --sync --onlyvisible --name '^Tripath$' 2>/dev/null | head -n 1)
[ -n "$window" ] || fail "no window titled Tripath appeared"
size=""
i=0
while [ $i -lt 100 ]; do
  size=$(xwininfo -id "$window" | awk '/Width:/ { w = $2 } /Height:/ { h = $2 } END { print w "x" h }')
  [ "$size" = "640x480" ] && break
  i=$((i + 1))
  sleep 0.2
done
[ "$size" = "640x480" ] || fail "window is $size, not 640x480"
# Let the game draw a few frames (loading screen) before it is closed.
sleep 3
kill -0 "$pid" 2>/dev/null || fail "the game ended on its own"
if [ -n "${TRIPATH_SCREENSHOT:-}" ]; then
  import -window root "$TRIPATH_SCREENSHOT" 2>/dev/null || true
fi

# Minimising saves the progress, into the player's roaming folder.
saved="$WINEPREFIX/drive_c/users/$(id -un)/AppData/Roaming/Tripath/.quarrystate"
rm -f "$saved"
xdotool windowminimize "$window"
i=0
until [ -s "$saved" ]; do
  i=$((i + 1))
  [ $i -gt 300 ] && fail "minimising saved no state under %APPDATA%\\Tripath"
  sleep 0.1
done
wmctrl -a Tripath
sleep 1

wmctrl -c Tripath || fail "wmctrl could not close the window"
i=0
while kill -0 "$pid" 2>/dev/null; do
  i=$((i + 1))
  [ $i -gt 600 ] && fail "the game did not end after the close request"
  sleep 0.1
done
wait "$pid"
status=$?
[ "$status" -eq 0 ] || fail "exit status $status, not 0"

# No state file beside the game or in the folder it was started from; one
# in the prefix must be under the user's roaming application data.
stray=$(find "$work" "$WINEPREFIX/drive_c" -name '.quarrystate*' 2>/dev/null |
  grep -vE '/AppData/Roaming/Tripath/\.quarrystate(-window)?$')
[ -z "$stray" ] || fail "state file written elsewhere: $stray"

rm -rf "$work"
echo "PASS: window 640x480, state saved under %APPDATA%\\Tripath, closed with status 0"
