#!/bin/sh
# The Windows installer under Wine, silent as an administrator would run it
# for a whole machine: the files under Program Files, the Start-menu
# shortcut for all users and a full uninstall entry; the installed game
# starts and closes with status 0; the silent uninstall removes all of it
# and keeps the player's progress in %APPDATA%\Tripath.
#   installer_test.sh <tripath-...-setup.exe>
set -u
setup=$1
pid=
fail() {
  echo "FAIL: $*" >&2
  [ -n "$pid" ] && kill "$pid" 2>/dev/null
  exit 1
}
. "$(dirname "$0")/../support/game_window.sh"
unset WINEPATH
c="$WINEPREFIX/drive_c"
dir="$c/Program Files/Tripath"
link="$c/ProgramData/Microsoft/Windows/Start Menu/Programs/Tripath.lnk"
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tripath'
roaming="$c/users/$(id -un)/AppData/Roaming/Tripath"

wine "$setup" /S || fail "the installer failed"
wineserver -w
for file in tripath.exe OpenAL32.dll data/levels.png uninstall.exe; do
  [ -f "$dir/$file" ] || fail "not installed: $file"
done
[ -f "$link" ] || fail "no Start-menu shortcut for all users"
entry=$(wine reg query "$key" 2>/dev/null | tr -d '\r')
for value in DisplayName DisplayVersion Publisher InstallLocation EstimatedSize UninstallString; do
  echo "$entry" | grep -q "^ *$value " || fail "the uninstall entry has no $value"
done
echo "$entry" | grep -q "DisplayVersion *REG_SZ *[0-9]" || fail "no version in the uninstall entry"

# The installed game runs and keeps progress in the player's folder.
mkdir -p "$roaming"
echo "kept" >"$roaming/.quarrystate"
(cd "$c" && exec wine "$dir/tripath.exe") >/dev/null 2>&1 &
pid=$!
[ -n "$(find_window 180)" ] || fail "the installed game opened no window"
sleep 2
close_game "$pid"
pid=
[ "$status" -eq 0 ] || fail "the installed game ended with status $status"

wine "$dir/uninstall.exe" /S || fail "the uninstaller failed"
wineserver -w
[ ! -e "$dir" ] || fail "left behind: $(cd "$dir" && find . | head -n 5)"
[ ! -e "$link" ] || fail "the shortcut stayed"
wine reg query "$key" >/dev/null 2>&1 && fail "the uninstall entry stayed"
[ -f "$roaming/.quarrystate" ] || fail "the player's progress went with the game"
rm -rf "$roaming"
echo "PASS: silent install for all users, the game starts, silent uninstall keeps the progress"
