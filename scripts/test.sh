#!/usr/bin/env bash
# Builds everything with warnings as errors and runs every test headless, in
# shuffled order; checks the Debian package and soaks the real viewer for
# 75 s; then runs the tests again under AddressSanitizer and
# UndefinedBehaviorSanitizer, the threaded core under ThreadSanitizer, and the
# readers' fuzzers for 45 s each. Fails first of all on a source file that
# clang-format would change or on an include that breaks the layout
# (scripts/check-layout.sh).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen
# A fixed order would hide tests that lean on each other; the seed is printed.
export GTEST_SHUFFLE=1

"$root/scripts/setup.sh"

git -C "$root" ls-files -z '*.cpp' '*.h' | (cd "$root" && xargs -0 clang-format --dry-run --Werror)
"$root/scripts/check-layout.sh"

configure() {  # build folder, then extra cache settings
  local dir=$1
  shift
  [[ -f "$dir/build.ninja" ]] || cmake -S "$root" -B "$dir" -G Ninja -DVANTOREL_WERROR=ON "$@" >/dev/null
}

build="$root/build"
configure "$build" -DCMAKE_BUILD_TYPE=Release
cmake --build "$build" -- -j"$jobs"
ctest --test-dir "$build" --output-on-failure -j"$jobs"
"$root/scripts/package-test.sh" "$build"
VANTOREL_BUILD="$build" "$root/scripts/soak.sh" 75

asan="$root/build-asan"
configure "$asan" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANTOREL_SANITIZE=ON -DVANTOREL_BENCHMARKS=OFF
cmake --build "$asan" -- -j"$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  LSAN_OPTIONS=suppressions="$root/tests/lsan.supp" \
  ctest --test-dir "$asan" --output-on-failure -j"$jobs"

# The programs whose code shares work over the worker threads. Of the whole
# frames, only the band test: the others run the same threaded code on other
# views and take minutes under the race detector. Of the viewer, only the
# jobs the GUI hands to threads of their own: its tile loads run on Qt's
# thread pool, which is not built for the race detector.
threaded=(rowbands-test relief-test tilereader-test rasterise-test frame-test gui-mainwindow-test gui-naturallook-test)
tsan="$root/build-tsan"
configure "$tsan" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANTOREL_TSAN=ON -DVANTOREL_BENCHMARKS=OFF
cmake --build "$tsan" --target "${threaded[@]}" -- -j"$jobs"
export TSAN_OPTIONS="halt_on_error=1 suppressions=$root/tests/tsan.supp"
for program in "${threaded[@]}"; do
  filter='*'
  [[ $program == frame-test ]] && filter='SampleTileFrames.ColumnBands*'
  [[ $program == gui-mainwindow-test ]] && filter='BackgroundJobTest.*:SummitSearchTest.*'
  [[ $program == gui-naturallook-test ]] && filter='ReliefRebuildTest.*'
  "$tsan/tests/$program" --gtest_filter="$filter" >"$tsan/$program.log" 2>&1 ||
    { cat "$tsan/$program.log"; echo "test: $program failed under ThreadSanitizer" >&2; exit 1; }
done

"$root/scripts/fuzz.sh" 45
