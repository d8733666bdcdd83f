#!/bin/sh
# Builds the browser version (./build-web.sh) and serves dist/tripath-web/
# on 127.0.0.1; open the address it prints in a browser. The port is 8000,
# or the first argument.
set -eu
ROOT=$(cd "$(dirname "$0")" && pwd)
"$ROOT/build-web.sh"
exec node "$ROOT/scripts/serve-web.mjs" "$ROOT/dist/tripath-web" "${1:-8000}"
