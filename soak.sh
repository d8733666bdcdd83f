#!/bin/sh
# Plays the real game unattended for a while, under AddressSanitizer and
# UndefinedBehaviorSanitizer (the build-asan/ build of ./test.sh address), in
# a private X server with openbox, with seeded random input: drags on the
# board, keys, the title's and the pause menu's buttons, level starts,
# give-ups, restarts, the wheel and the odd minimise.
#   ./soak.sh             three minutes
#   ./soak.sh 60          an hour
#   SOAK_SEED=7 ./soak.sh another input sequence
# Fails on any sanitizer report, a crash, or resident memory growing more
# than 10 % above what it was after the first minute. Resident memory is
# logged every 10 s; everything is kept in build-asan/soak/.
. "$(dirname "$0")/scripts/common.sh"

if [ "${1:-}" != "--inside" ]; then
  minutes=${1:-3}
  case $minutes in ''|*[!0-9]*) echo "usage: $0 [minutes]" >&2; exit 2 ;; esac
  install_packages
  dir="$ROOT/build-asan"
  cmake -S "$ROOT" -B "$dir" -DTRIPATH_SANITIZE=address -DCMAKE_BUILD_TYPE=Debug >/dev/null
  cmake --build "$dir" -j "$(nproc)" --target tripath
  # The data is the same in every build; the normal build makes it faster.
  cmake -S "$ROOT" -B "$ROOT/build" >/dev/null
  cmake --build "$ROOT/build" -j "$(nproc)" --target tripath_game_data
  exec "$ROOT/tests/support/with_display.sh" --wm "$0" --inside "$minutes" "$dir" \
    "$ROOT/build/game/data"
fi

# --- inside the display -------------------------------------------------------
minutes=$2
build=$3
work="$build/soak"
rm -rf "$work"
mkdir -p "$work"
ln -s "$4" "$work/data"
export ALSOFT_DRIVERS=null
export ASAN_OPTIONS="log_path=$work/sanitizer:detect_leaks=1"
export UBSAN_OPTIONS="log_path=$work/sanitizer:print_stacktrace=1:halt_on_error=1"

(cd "$work" && exec "$build/game/tripath" >"$work/out.txt" 2>&1) &
game=$!
. "$ROOT/tests/support/game_window.sh"
# The sanitizer build starts slowly; a game that never opens a window still
# ends the run instead of hanging it.
window=$(find_window 180)
[ -n "$window" ] || { echo "soak: the game window did not appear" >&2; kill "$game" 2>/dev/null; exit 1; }
eval "$(xdotool getwindowgeometry --shell "$window")"
left=$X
top=$Y

# A small linear congruential generator, so that a seed replays a run.
seed=${SOAK_SEED:-20261208}
random() {  # random <n>: sets r to 0..n-1
  seed=$(( (seed * 1103515245 + 12345) % 2147483648 ))
  r=$(( (seed / 65536) % $1 ))
}
at() { xdotool mousemove $((left + $1)) $((top + $2)); }
click() { at "$1" "$2"; xdotool click 1; }

drag() {
  random 560; x=$((40 + r)); random 400; y=$((40 + r))
  at $x $y
  xdotool mousedown 1
  random 6; steps=$((2 + r))
  while [ $steps -gt 0 ]; do
    random 4
    case $r in 0) x=$((x + 48)) ;; 1) x=$((x - 48)) ;; 2) y=$((y + 48)) ;; *) y=$((y - 48)) ;; esac
    at $x $y
    sleep 0.12
    steps=$((steps - 1))
  done
  xdotool mouseup 1
}

act() {
  random 100
  if [ $r -lt 30 ]; then drag
  elif [ $r -lt 40 ]; then random 3; click $((180 + 40 * r)) 100       # levels 1 to 3
  elif [ $r -lt 48 ]; then random 8; c=$r; random 8; click $((180 + 40 * c)) $((100 + 40 * r))
  elif [ $r -lt 54 ]; then click 16 16                                  # pause
  elif [ $r -lt 60 ]; then click 180 240                                # give up
  elif [ $r -lt 64 ]; then random 2; click $((600 + 24 * r)) 24         # undo, restart
  elif [ $r -lt 66 ]; then click 32 240                                 # sound
  elif [ $r -lt 68 ]; then click 570 40                                 # credits
  elif [ $r -lt 82 ]; then
    random 10
    set -- Escape u Return space Left Right Up Down BackSpace Delete
    shift $r
    xdotool key "$1"
  elif [ $r -lt 90 ]; then random 640; x=$r; random 480; click $x $r
  elif [ $r -lt 98 ]; then random 2; at 320 240; xdotool click $((4 + r))  # zoom
  else
    xdotool windowminimize "$window"; sleep 0.5; wmctrl -i -a "$window"
  fi
}

rss() { awk '/^VmRSS:/ { print $2 }' "/proc/$game/status" 2>/dev/null; }
# Running and not a zombie waiting to be reaped.
alive() {
  state=$(awk '/^State:/ { print $2 }' "/proc/$game/status" 2>/dev/null)
  [ -n "$state" ] && [ "$state" != Z ]
}

echo "soak: $minutes min, seed $seed, log in $work"
start=$(date +%s)
end=$((start + 60 * minutes))
next_sample=$start
baseline=
status=0
while :; do
  now=$(date +%s)
  [ "$now" -ge "$end" ] && break
  if ! alive; then
    echo "soak: the game ended after $((now - start)) s" >&2
    status=1
    break
  fi
  if [ "$now" -ge "$next_sample" ]; then
    kb=$(rss)
    echo "$((now - start)) $kb" >>"$work/rss.txt"
    if [ $((now - start)) -ge 60 ]; then
      if [ -z "$baseline" ]; then
        baseline=$kb
      elif [ "$kb" -gt $((baseline + baseline / 10)) ]; then
        echo "soak: resident memory grew from $baseline kB to $kb kB" >&2
        status=1
        break
      fi
    fi
    next_sample=$((next_sample + 10))
  fi
  act
  sleep 0.05
done

if alive; then
  xdotool mouseup 1 2>/dev/null
  wmctrl -i -c "$window"
  i=0
  while alive && [ $i -lt 600 ]; do sleep 0.1; i=$((i + 1)); done
  if alive; then
    echo "soak: the game did not close within a minute of being asked" >&2
    grep -E '^State|^VmRSS' "/proc/$game/status" >&2
    kill -9 $game
    status=1
  fi
fi
wait $game
code=$?
if [ $status -eq 0 ] && [ $code -ne 0 ]; then
  echo "soak: the game exited with status $code" >&2
  status=1
fi
if ls "$work"/sanitizer* >/dev/null 2>&1; then
  echo "soak: sanitizer reports:" >&2
  cat "$work"/sanitizer* >&2
  status=1
fi
[ $status -ne 0 ] && tail -n 20 "$work/out.txt" >&2
echo "soak: resident memory (s kB):" $(tr '\n' ' ' <"$work/rss.txt")
[ $status -eq 0 ] && echo "soak: passed"
exit $status
