#!/bin/sh
# The Windows download as a player gets it, under Wine on the display that
# with_display.sh made. The zip, unpacked into a fresh folder (with a space
# in its name):
#  - its programs import only Windows' own DLLs and OpenAL32.dll beside
#    them (GLFW is linked in: no glfw3.dll ships or is needed);
#  - tripath.exe opens a 640 x 480 window titled "Tripath", saves its
#    progress under %APPDATA%\Tripath when minimised (and nowhere else) and
#    when the session ends (Wine's end-session messages), and ends with
#    status 0 when the window manager closes it;
#  - at 150 % scaling (LogPixels 144) the window opens at 960 x 720;
#  - without OpenAL32.dll it shows a message box and ends with status 255;
#  - without its data folder it shows a message box and ends with a
#    non-zero status.
#   window_test.sh <tripath-...-windows-x86_64.zip>
set -u
zip=$1
work=$(mktemp -d "${TMPDIR:-/tmp}/tripath-wine.XXXXXX")
pid=
fail() {
  echo "FAIL: $*" >&2
  [ -n "$pid" ] && kill "$pid" 2>/dev/null
  echo "--- game output:" >&2
  cat "$work/out.txt" >&2 2>/dev/null
  wine reg delete 'HKCU\Control Panel\Desktop' /v LogPixels /f >/dev/null 2>&1
  rm -rf "$work"
  exit 1
}
. "$(dirname "$0")/../support/game_window.sh"
# The game finds its DLLs beside itself, not through the tests' search path.
unset WINEPATH

install="$work/Tripath Game"
mkdir -p "$work/unpack" "$work/elsewhere"
unzip -q "$zip" -d "$work/unpack" || fail "cannot unpack $zip"
mv "$work/unpack/Tripath" "$install" || fail "the zip holds no Tripath folder"
for file in tripath.exe OpenAL32.dll data/levels.png README.txt LICENSE.txt \
  THIRD-PARTY-NOTICES.txt licences/OpenAL-Soft-COPYING.txt licences/GLFW-LICENSE.txt; do
  [ -f "$install/$file" ] || fail "the zip has no $file"
done
[ ! -e "$install/glfw3.dll" ] || fail "the zip ships glfw3.dll, which is linked in"

# Imports: Windows' own DLLs and the shipped one, nothing else (a MinGW
# runtime DLL here would be missing on a player's machine).
allowed=" kernel32.dll user32.dll gdi32.dll shell32.dll ole32.dll oleaut32.dll advapi32.dll \
opengl32.dll ws2_32.dll msvcrt.dll winmm.dll shlwapi.dll setupapi.dll avrt.dll openal32.dll "
for binary in tripath.exe OpenAL32.dll; do
  for dll in $(x86_64-w64-mingw32-objdump -p "$install/$binary" |
    sed -n 's/^\tDLL Name: //p' | tr 'A-Z' 'a-z'); do
    case "$allowed" in *" $dll "*) ;; *) fail "$binary imports $dll" ;; esac
  done
done

# start <folder to start in>: the game under Wine, output kept.
start() {
  (cd "$1" && exec wine "$install/tripath.exe") >"$work/out.txt" 2>&1 &
  pid=$!
}
# wait_size <window> <expected>: waits for the window to settle to the
# expected size (as WIDTHxHEIGHT); the last size seen is left in $size.
wait_size() {
  i=0
  while [ $i -lt 100 ]; do
    size=$(xwininfo -id "$1" | awk '/Width:/ { w = $2 } /Height:/ { h = $2 } END { print w "x" h }')
    [ "$size" = "$2" ] && return 0
    i=$((i + 1))
    sleep 0.2
  done
  return 1
}
close_wine_game() {
  close_game "$pid"
  pid=
  [ "$status" -eq 0 ] || fail "exit status $status, not 0"
}

# Started from another folder: the game finds data\ beside the executable.
# (Wine's first start in a fresh prefix is slow, hence the long wait.)
start "$work/elsewhere"
window=$(find_window 180)
[ -n "$window" ] || fail "no window titled Tripath appeared"
wait_size "$window" 640x480 || fail "window is $size, not 640x480"
# Let the game draw a few frames (loading screen) before it is closed.
sleep 3
kill -0 "$pid" 2>/dev/null || fail "the game ended on its own"

# Minimising saves the progress, into the player's roaming folder.
roaming="$WINEPREFIX/drive_c/users/$(id -un)/AppData/Roaming/Tripath"
rm -f "$roaming/.quarrystate"
xdotool windowminimize "$window"
i=0
until [ -s "$roaming/.quarrystate" ]; do
  i=$((i + 1))
  [ $i -gt 300 ] && fail "minimising saved no state under %APPDATA%\\Tripath"
  sleep 0.1
done
wmctrl -a Tripath
sleep 1

# The session ends (a sign-out, a restart for updates) with no close
# request: the progress and the window's place are saved there and then.
rm -f "$roaming/.quarrystate" "$roaming/.quarrystate-window"
wine wineboot --end-session >/dev/null 2>&1
i=0
until [ -s "$roaming/.quarrystate" ] && [ -s "$roaming/.quarrystate-window" ]; do
  i=$((i + 1))
  [ $i -gt 300 ] && fail "the end of the session saved no state under %APPDATA%\\Tripath"
  sleep 0.1
done
# Wine then ends the process, as Windows does; should it live on, it is
# closed as before.
i=0
while kill -0 "$pid" 2>/dev/null && [ $i -lt 300 ]; do
  i=$((i + 1))
  sleep 0.1
done
if kill -0 "$pid" 2>/dev/null; then
  close_wine_game
else
  wait "$pid"
fi
pid=

# No state file beside the game or in the folder it was started from; one
# in the prefix must be under the user's roaming application data.
stray=$(find "$work" "$WINEPREFIX/drive_c" -name '.quarrystate*' 2>/dev/null |
  grep -vE '/AppData/Roaming/Tripath/\.quarrystate(-window)?$')
[ -z "$stray" ] || fail "state file written elsewhere: $stray"

# 150 %: the default window grows with the display's scale.
rm -f "$roaming/.quarrystate-window"
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 144 /f >/dev/null 2>&1 ||
  fail "cannot set LogPixels"
wineserver -w
start "$work/elsewhere"
window=$(find_window 180)
[ -n "$window" ] || fail "no window at 150 %"
wait_size "$window" 960x720 || fail "window at 150 % is $size, not 960x720"
sleep 1
close_wine_game
wine reg delete 'HKCU\Control Panel\Desktop' /v LogPixels /f >/dev/null 2>&1
wineserver -w

# Started as from Explorer (no console): the player is told in a message
# box, a small window titled Tripath, which is answered; the start fails
# with the status left in $status.
# start_and_answer_box <what is missing>
start_and_answer_box() {
  # A program started while the wine server of the one before winds down
  # can fail before it runs.
  timeout 60 wineserver -w
  (cd "$work/elsewhere" && exec wine start /wait /unix "$install/tripath.exe") >"$work/out.txt" 2>&1 &
  pid=$!
  box=
  i=0
  while [ -z "$box" ] && [ $i -lt 300 ]; do
    for candidate in $(xdotool search --onlyvisible --name '^Tripath$' 2>/dev/null); do
      width=$(xwininfo -id "$candidate" | awk '/Width:/ { print $2 }')
      [ "${width:-0}" -lt 600 ] && box=$candidate
    done
    i=$((i + 1))
    sleep 0.2
  done
  [ -n "$box" ] || fail "no message box about the missing $1"
  # Answered as a player does: the box takes the focus and gets a real key
  # press and release. A key sent to the window alone (XSendEvent) closed the
  # box on its press, its release then went to a window gone, and every box
  # of a later Wine process closed at once, unseen.
  xdotool windowactivate --sync "$box" key Return
  status=0
  wait "$pid" || status=$?
  pid=
}

# Started from inside the zip, not unpacked, the game has no OpenAL32.dll:
# its own advice, not the Windows loader's, and status 255 (-1).
mv "$install/OpenAL32.dll" "$work/OpenAL32.dll"
start_and_answer_box OpenAL32.dll
[ "$status" -eq 255 ] || fail "the start without OpenAL32.dll ended with status $status, not 255"
mv "$work/OpenAL32.dll" "$install/OpenAL32.dll"

# Without data\ likewise.
rm -rf "$install/data"
start_and_answer_box data
[ "$status" -ne 0 ] || fail "the start without data ended with status 0"

rm -rf "$work"
echo "PASS: imports, window 640x480 and 960x720 at 150 %, state under %APPDATA%\\Tripath" \
  "when minimised and when the session ends, closed with status 0, a message box and" \
  "status 255 without OpenAL32.dll, and status $status without data"
