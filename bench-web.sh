#!/bin/sh
# Figures for the browser version, in Debian's headless chromium, beside the
# native build on the same machine:
#   - the time from navigation to the title (a new visitor each run);
#   - the renderer's benchmark frames of 2499 quads: the page's time per
#     frame, then the native benchmark's (tripath_bench_graphics under Xvfb
#     with Mesa's software renderer).
# TRIPATH_BENCH_RUNS sets the number of page loads (5).
. "$(dirname "$0")/scripts/common.sh"

PACKAGES="$PACKAGES chromium"
command -v node >/dev/null 2>&1 || PACKAGES="$PACKAGES nodejs"
command -v npm >/dev/null 2>&1 || PACKAGES="$PACKAGES npm"
install_packages

"$ROOT/build-web.sh" >/dev/null
NODE_PATH=/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}
export NODE_PATH
cmake --build "$ROOT/build-web" --target tripath_bench_graphics_web >/dev/null
cmake --build "$ROOT/build" -j "$(nproc)" --target tripath_bench_graphics >/dev/null

echo "== the browser (headless chromium, WebGL on SwiftShader)"
cd "$ROOT/tests/web"
npm ci --no-audit --no-fund --loglevel=error >/dev/null
node bench_web.mjs "$ROOT/dist/tripath-web" "$ROOT/build-web/bench-page"

echo "== native (Xvfb, Mesa's software renderer)"
ALSOFT_DRIVERS=null "$ROOT/tests/support/with_display.sh" "$ROOT/build/bench/tripath_bench_graphics" \
  --benchmark_min_time=1
