#!/bin/sh
# Builds the fuzz targets (tests/fuzz/) with clang's libFuzzer, AddressSanitizer
# and UndefinedBehaviorSanitizer in build-fuzz/, and runs them one at a time.
#   ./fuzz.sh                    every target, 60 s each
#   ./fuzz.sh png 600            one target for ten minutes
#   ./fuzz.sh all 30             every target, 30 s each
#   ./fuzz.sh --build-only       build every target, run none (CI)
# Seeds come from tests/fuzz/seeds/ and the game's own data (built into
# build/game/data/). The growing corpus stays in build-fuzz/corpus/. An input
# that crashes a target is kept in fuzz-crashes/<target>/; once the fault is
# mended, move it to tests/fuzz/regressions/<target>/ so that ./test.sh
# replays it from then on.
. "$(dirname "$0")/scripts/common.sh"

TARGETS="text state wav ogg png http url data_buffer level_source level_image song share_code"
build_only=0
if [ "${1:-}" = "--build-only" ]; then build_only=1; shift; fi
which=${1:-all}
seconds=${2:-60}
case " all $TARGETS " in
  *" $which "*) ;;
  *) echo "usage: $0 [--build-only] [all|$(echo $TARGETS | tr ' ' '|')] [seconds]" >&2; exit 2 ;;
esac
[ "$which" = all ] && run="$TARGETS" || run="$which"

PACKAGES="$PACKAGES clang libclang-rt-14-dev"
install_packages

fuzzdir="$ROOT/build-fuzz"
CC=clang CXX=clang++ cmake -S "$ROOT" -B "$fuzzdir" -DTRIPATH_SANITIZE=fuzzer \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
for t in $run; do
  cmake --build "$fuzzdir" -j "$(nproc)" --target "tripath_fuzz_$t"
done
[ "$build_only" -eq 1 ] && { echo "fuzz targets built: $run"; exit 0; }

# The game's data (images, sounds, the song, the level image) for the seeds.
cmake -S "$ROOT" -B "$ROOT/build" >/dev/null
cmake --build "$ROOT/build" -j "$(nproc)" --target tripath_game_data
data="$ROOT/build/game/data"

# seed <target> <files...>: copies the files that exist into the corpus.
seed() {
  dir="$fuzzdir/corpus/$1"; shift
  mkdir -p "$dir"
  for f in "$@"; do [ -f "$f" ] && cp "$f" "$dir/"; done
  return 0
}
for t in $run; do
  seed "$t" "$ROOT"/tests/fuzz/seeds/"$t"/* "$ROOT"/tests/fuzz/regressions/"$t"/*
  case $t in
    text|state) seed "$t" "$data/levels.txt" ;;
    png) seed png $(find "$data" -name '*.png' -size -40k) ;;
    song) seed song "$data/music/song0.png" ;;
    wav) seed wav "$data/inst/d0-3.wav" "$data/inst/d0-6.wav" "$data/sfx/002.wav" ;;
    ogg) mkdir -p "$fuzzdir/corpus/ogg"
         oggenc -Q -q 0 -o "$fuzzdir/corpus/ogg/d0-3.ogg" "$data/inst/d0-3.wav"
         oggenc -Q -q 2 --downmix -o "$fuzzdir/corpus/ogg/002.ogg" "$data/sfx/002.wav" ;;
    level_source) seed level_source "$ROOT"/levels/*.txt ;;
    level_image) python3 "$ROOT/tests/fuzz/level_pixels.py" "$data/levels.png" \
                   "$fuzzdir/corpus/level_image" "$ROOT"/levels/*.txt ;;
  esac
done

status=0
for t in $run; do
  crashes="$ROOT/fuzz-crashes/$t"
  mkdir -p "$crashes"
  echo "== fuzzing $t for $seconds s"
  # Standard output is closed: the game's status lines would drown the log.
  if ! "$fuzzdir/tests/fuzz/tripath_fuzz_$t" "$fuzzdir/corpus/$t" -max_total_time="$seconds" \
      -artifact_prefix="$crashes/" -close_fd_mask=1 -print_final_stats=1 -rss_limit_mb=4096 \
      -timeout=30; then
    echo "!! $t failed; the input is kept in $crashes/" >&2
    status=1
  fi
  rmdir "$crashes" 2>/dev/null || true
done
exit $status
