#!/bin/sh
# Fails when a C or C++ source of ours differs from what clang-format (with
# the repository's .clang-format) would make of it.
#   format_check.sh <source dir>
set -eu
cd "$1"
bad=0
for f in $(git ls-files '*.cpp' '*.h' '*.c' 2>/dev/null || find . -name '*.cpp' -o -name '*.h'); do
  case "$f" in audio/stb_vorbis_decoder.c) continue ;; esac
  if ! clang-format --dry-run -Werror "$f" >/dev/null 2>&1; then
    echo "not formatted: $f (run clang-format -i $f)"
    bad=1
  fi
done
exit $bad
