#!/bin/sh
# Builds Tripath with its tests and runs every test.
#   ./test.sh            the normal build (build/)
#   ./test.sh address    ASan + UBSan build (build-asan/)
#   ./test.sh thread     TSan build of the threaded code (build-tsan/)
#   ./test.sh package    the Debian package test (installs and removes it)
. "$(dirname "$0")/scripts/common.sh"

install_packages
case "${1:-}" in
  address) dir="$ROOT/build-asan"; build "$dir" -DTRIPATH_SANITIZE=address -DCMAKE_BUILD_TYPE=Debug
           label="-LE package" ;;
  thread)  dir="$ROOT/build-tsan"; build "$dir" -DTRIPATH_SANITIZE=thread -DCMAKE_BUILD_TYPE=Debug
           label="-L threads" ;;
  package) dir="$ROOT/build"; build "$dir"; label="-L package" ;;
  "")      dir="$ROOT/build"; build "$dir"; label="-LE package" ;;
  *) echo "usage: $0 [address|thread|package]" >&2; exit 2 ;;
esac
cd "$dir"
ctest --output-on-failure -j "$(nproc)" $label
