#!/bin/sh
# Runs a command under a private Xvfb server (and openbox with --wm), using
# Mesa's software renderer, then shuts the server down.
#   with_display.sh [--wm] command [args...]
set -u
wm=0
if [ "${1:-}" = "--wm" ]; then wm=1; shift; fi

dir=$(mktemp -d "${TMPDIR:-/tmp}/tripath-x.XXXXXX")
Xvfb -displayfd 5 -screen 0 1280x1024x24 -nolisten tcp -noreset 5>"$dir/display" 2>"$dir/xvfb.log" &
xvfb=$!
i=0
while [ ! -s "$dir/display" ]; do
  i=$((i + 1))
  if [ $i -gt 200 ] || ! kill -0 $xvfb 2>/dev/null; then
    echo "with_display: Xvfb did not start" >&2; cat "$dir/xvfb.log" >&2; rm -rf "$dir"; exit 1
  fi
  sleep 0.05
done
DISPLAY=":$(head -n1 "$dir/display")"
export DISPLAY
export LIBGL_ALWAYS_SOFTWARE=1

wmpid=
if [ $wm -eq 1 ]; then
  openbox >"$dir/openbox.log" 2>&1 &
  wmpid=$!
  i=0
  until wmctrl -m >/dev/null 2>&1; do
    i=$((i + 1)); [ $i -gt 200 ] && break; sleep 0.05
  done
fi

"$@"
status=$?

[ -n "$wmpid" ] && kill $wmpid 2>/dev/null
kill $xvfb 2>/dev/null
wait 2>/dev/null
rm -rf "$dir"
exit $status
