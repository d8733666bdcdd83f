#!/bin/sh
# Builds Tripath and starts it. The game's working folder (its data/ and the
# saved progress in .quarrystate) is $TRIPATH_HOME, by default
# ~/.local/share/tripath, so rebuilding never touches a player's progress.
. "$(dirname "$0")/scripts/common.sh"

install_packages
build "$ROOT/build"

home=${TRIPATH_HOME:-${XDG_DATA_HOME:-$HOME/.local/share}/tripath}
mkdir -p "$home"
rm -rf "$home/data"
cp -r "$ROOT/build/game/data" "$home/data" 2>/dev/null || mkdir -p "$home/data"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "Tripath needs a graphical display and none is set (DISPLAY is empty)." >&2
  echo "Run it from a desktop session, or under a virtual X server:" >&2
  echo "  xvfb-run -a -s '-screen 0 1280x1024x24' ./play.sh" >&2
  exit 1
fi
cd "$home"
exec "$ROOT/build/game/tripath" "$@"
