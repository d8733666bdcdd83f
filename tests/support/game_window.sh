# Sourced by the tests that start the real game and close it as a player
# would: through the window manager. The test defines fail <message>.

# find_window [seconds]: prints the id of the game's visible window once it
# has opened, or nothing when none opens within <seconds> (default 60), so a
# game that never opens one fails the test instead of hanging it.
# It asks again and again rather than once with --sync: xdotool gives up
# with an X error when a window it is looking at closes meanwhile, as
# Wine's start-up windows do.
find_window() {
  deadline=$(($(date +%s) + ${1:-60}))
  while :; do
    found=$(xdotool search --onlyvisible --name '^Tripath$' 2>/dev/null | head -n 1)
    if [ -n "$found" ] || [ "$(date +%s)" -ge "$deadline" ]; then
      echo "$found"
      return
    fi
    sleep 0.2
  done
}

# close_game <pid>: asks the window manager to close the game's window and
# waits up to a minute for the game to end; leaves its exit status in
# $status.
close_game() {
  wmctrl -c Tripath || fail "wmctrl could not close the window"
  i=0
  while kill -0 "$1" 2>/dev/null; do
    i=$((i + 1))
    [ $i -gt 600 ] && fail "the game did not end after the close request"
    sleep 0.1
  done
  status=0
  wait "$1" || status=$?
}
