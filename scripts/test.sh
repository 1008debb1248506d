#!/usr/bin/env bash
# Sets up the machine, builds everything and runs the whole test suite, warnings as errors.
#   scripts/test.sh              normal build in build/
#   scripts/test.sh --sanitize   address and undefined-behaviour sanitizers in build-asan/
#   scripts/test.sh --release    optimised Release build, benchmarks included, in build-release/
set -euo pipefail
cd "$(dirname "$0")/.."

mode=normal
for arg in "$@"; do
  case "$arg" in
    --sanitize) mode=sanitize ;;
    --release) mode=release ;;
    *) echo "usage: $0 [--sanitize | --release]" >&2; exit 2 ;;
  esac
done

bash scripts/setup.sh
jobs=$(nproc)

if [ "$mode" = sanitize ]; then
  dir=build-asan
  cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKEST_WERROR=ON -DKEST_SANITIZE=ON \
    -DKEST_BUILD_BENCH=OFF
  export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
elif [ "$mode" = release ]; then
  dir=build-release
  cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKEST_WERROR=ON -DKEST_BUILD_BENCH=ON
else
  dir=build
  cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKEST_WERROR=ON -DKEST_BUILD_BENCH=OFF
fi
cmake --build "$dir" -j "$jobs"
ctest --test-dir "$dir" --output-on-failure -j "$jobs" --timeout 300
