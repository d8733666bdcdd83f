#!/bin/sh
# Hardware faults in the Windows build become the runtime errors the Linux
# build reports: the report on standard output, the debug stop on standard
# error, and its commands read from standard input.
#   fault_test.sh <fault_probe.exe>
set -u
probe=$1
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
rm -f "$out" "$err"
[ $failed -eq 0 ] && echo "PASS: faults reported as on Linux"
exit $failed
