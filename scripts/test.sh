#!/usr/bin/env bash
# Sets up the machine, builds everything and runs the whole test suite.
#   scripts/test.sh              normal build in build/
#   scripts/test.sh --sanitize   address and undefined-behaviour sanitizers in build-asan/
set -euo pipefail
cd "$(dirname "$0")/.."

mode=normal
for arg in "$@"; do
  case "$arg" in
    --sanitize) mode=sanitize ;;
    *) echo "usage: $0 [--sanitize]" >&2; exit 2 ;;
  esac
done

bash scripts/setup.sh
jobs=$(nproc)

if [ "$mode" = sanitize ]; then
  dir=build-asan
  cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKEST_SANITIZE=ON -DKEST_BUILD_BENCH=OFF
  export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
else
  dir=build
  cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build "$dir" -j "$jobs"
ctest --test-dir "$dir" --output-on-failure -j "$jobs" --timeout 300
