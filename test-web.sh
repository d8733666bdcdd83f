#!/bin/sh
# Builds the browser version (./build-web.sh) and plays it in Debian's
# headless chromium: tests/web/ serves the page on 127.0.0.1 and drives it
# over the DevTools protocol with its one npm package (ws, pinned in
# tests/web/package-lock.json). Never a downloaded browser.
. "$(dirname "$0")/scripts/common.sh"

PACKAGES="$PACKAGES chromium"
# node and npm may come from elsewhere than Debian; Debian's serve otherwise.
command -v node >/dev/null 2>&1 || PACKAGES="$PACKAGES nodejs"
command -v npm >/dev/null 2>&1 || PACKAGES="$PACKAGES npm"
install_packages

"$ROOT/build-web.sh"
cd "$ROOT/tests/web"
npm ci --no-audit --no-fund --loglevel=error
node web_test.mjs "$ROOT/dist/tripath-web"
