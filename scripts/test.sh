#!/usr/bin/env bash
# Builds everything and runs every test headless; then builds the tests again
# with AddressSanitizer and UndefinedBehaviorSanitizer and runs them once more.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen

"$root/scripts/setup.sh"

build="$root/build"
[[ -f "$build/build.ninja" ]] || cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -- -j"$jobs"
ctest --test-dir "$build" --output-on-failure -j"$jobs"

asan="$root/build-asan"
[[ -f "$asan/build.ninja" ]] ||
  cmake -S "$root" -B "$asan" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANTOREL_SANITIZE=ON \
    -DVANTOREL_BENCHMARKS=OFF >/dev/null
cmake --build "$asan" -- -j"$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  LSAN_OPTIONS=suppressions="$root/tests/lsan.supp" \
  ctest --test-dir "$asan" --output-on-failure -j"$jobs"
