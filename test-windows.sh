#!/bin/sh
# Builds the Windows game and its tests (./build-windows.sh) and runs the
# Windows suite under Wine, in a fresh Wine prefix, with CTest.
set -eu
ROOT=$(cd "$(dirname "$0")" && pwd)
"$ROOT/build-windows.sh"
cd "$ROOT/build-windows"
ctest --output-on-failure -L windows
