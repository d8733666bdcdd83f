#!/bin/sh
# Hardware faults in the Windows build become the runtime errors the Linux
# build reports: the report on standard output, the debug stop on standard
# error, and its commands read from standard input. Without a console (a
# GUI program with a window, started as Explorer starts the game, on the
# display that with_display.sh made), an exception nothing catches shows one
# box, ours, while its window gets nothing more, and ends with abort's
# status 3.
#   fault_test.sh <fault_probe.exe> <fault_window_probe.exe>
set -u
probe=$1
window_probe=$2
# Let the wine server of an earlier test wind down first: a program started
# while it exits can fail before it runs.
timeout 30 wineserver -w 2>/dev/null || true
out=$(mktemp)
err=$(mktemp)
failed=0
check() {  # check <mode> <message> <input> <status>
  printf '%b' "$3" | wine "$probe" "$1" "$2" >"$out" 2>"$err"
  status=$?
  if ! grep -q "^Quarry Runtime Error : $2" "$out" || ! grep -q '^{{~~~~}}' "$err" ||
    [ "$status" -ne "$4" ]; then
    echo "FAIL: $1: status $status, output:" >&2
    cat "$out" "$err" >&2
    failed=1
  fi
}
check segv "Memory access violation" "" 255
check fpe "Integer divide by zero" "" 255
check ill "Illegal instruction" "" 255
# (Runaway recursion is not checked here: Wine ends such a process before
# any handler runs, where Windows hands it the stack overflow exception.)
check error "Broken" "?\nq\n" 0
check error "Broken" "x\n" 255
# An exception nothing catches names itself before the runtime aborts (3).
wine "$probe" escape >"$out" 2>"$err"
status=$?
if ! grep -q "^Quarry Runtime Error : Uncaught exception: Broken beyond repair" "$err" ||
  [ "$status" -ne 3 ]; then
  echo "FAIL: escape: status $status, output:" >&2
  cat "$out" "$err" >&2
  failed=1
fi

# The boxes the probe shows: the C runtime's own says "Runtime".
boxes() {
  xdotool search --onlyvisible --name '^Tripath$|Runtime' 2>/dev/null
}
marker=$(mktemp -u)
timeout 30 wineserver -w 2>/dev/null || true
wine start /wait /unix "$window_probe" "$(winepath -w "$marker")" >"$out" 2>&1 &
pid=$!
box=
i=0
while [ -z "$box" ] && [ $i -lt 300 ]; do
  box=$(boxes | head -n 1)
  i=$((i + 1))
  sleep 0.2
done
if [ -z "$box" ] || [ "$(boxes | wc -l)" -ne 1 ] ||
  ! xdotool getwindowname "$box" | grep -q '^Tripath$'; then
  echo "FAIL: escape without a console: no box of ours, or more than one" >&2
  failed=1
fi
[ -n "$box" ] && xdotool key --window "$box" Return
# Answered, it is the last: the process ends without another.
i=0
while kill -0 "$pid" 2>/dev/null && [ $i -lt 300 ]; do
  if [ -n "$(boxes)" ] && [ "$(boxes | head -n 1)" != "$box" ]; then
    echo "FAIL: escape without a console: a second box, $(xdotool getwindowname "$(boxes | head -n 1)")" >&2
    failed=1
    xdotool key --window "$(boxes | head -n 1)" Return
  fi
  i=$((i + 1))
  sleep 0.1
done
status=0
wait "$pid" || status=$?
if [ "$status" -ne 3 ]; then
  echo "FAIL: escape without a console: status $status, not 3" >&2
  failed=1
fi
if [ -e "$marker" ]; then
  echo "FAIL: escape without a console: its window was still handled: $(cat "$marker")" >&2
  rm -f "$marker"
  failed=1
fi
rm -f "$out" "$err"
[ $failed -eq 0 ] && echo "PASS: faults reported as on Linux; without a console one box, a" \
  "window left alone and status 3"
exit $failed
