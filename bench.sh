#!/bin/sh
# Builds Tripath (the normal build in build/) and runs every benchmark
# program, each under its own virtual X server with Mesa's software
# renderer. Options are handed to each program, for example:
#   ./bench.sh --benchmark_filter=OneSurface --benchmark_repetitions=5
. "$(dirname "$0")/scripts/common.sh"

install_packages
dir="$ROOT/build"
build "$dir"

benches=$(find "$dir" -type f -name 'tripath_bench_*' -perm -u+x | sort)
if [ -z "$benches" ]; then
  echo "no tripath_bench_* programs were built" >&2
  exit 1
fi
# Benchmarks need no loudspeaker: OpenAL Soft mixes into its null device.
ALSOFT_DRIVERS=${ALSOFT_DRIVERS:-null}
export ALSOFT_DRIVERS
status=0
for bench in $benches; do
  echo "== $(basename "$bench")"
  "$ROOT/tests/support/with_display.sh" "$bench" "$@" || status=1
done
exit $status
