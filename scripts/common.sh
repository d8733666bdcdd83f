# Shared by play.sh, test.sh and bench.sh: installs the Debian packages the
# build needs (only those missing) and configures and builds a tree.
set -eu

ROOT=$(cd "$(dirname "$0")" && pwd)
[ -f "$ROOT/CMakeLists.txt" ] || ROOT=$(cd "$ROOT/.." && pwd)

PACKAGES="build-essential cmake pkg-config libglfw3-dev libgl-dev libgl1-mesa-dri \
libopenal-dev libstb-dev libgtest-dev libgmock-dev libbenchmark-dev \
xvfb xauth openbox xdotool wmctrl x11-utils x11-apps vorbis-tools clang-format git ccache"

install_packages() {
  missing=""
  for p in $PACKAGES; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
      missing="$missing $p"
    fi
  done
  [ -z "$missing" ] && return 0
  echo "Installing Debian packages:$missing"
  if [ "$(id -u)" -eq 0 ]; then sudo=""; else sudo="sudo"; fi
  $sudo apt-get update -q
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q $missing
}

# build <build dir> [extra cmake args...]
build() {
  dir=$1; shift
  cmake -S "$ROOT" -B "$dir" "$@" >/dev/null
  cmake --build "$dir" -j "$(nproc)"
}

# The version of the project (CMake's project(VERSION)), for download names.
tripath_version() {
  sed -n 's/^project(Tripath VERSION \([0-9.]*\).*/\1/p' "$ROOT/CMakeLists.txt"
}
