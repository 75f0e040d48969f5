#!/usr/bin/env bash
# The test command.
#
#   scripts/test.sh          the quick checks, for every change: format and
#                            layout, a Release build with warnings as errors,
#                            every test headless in shuffled order, and a
#                            short soak of the real viewer.
#   scripts/test.sh --full   the same, then the Debian package, the tests
#                            under AddressSanitizer and UndefinedBehaviorSanitizer,
#                            the threaded code under ThreadSanitizer, the
#                            readers' fuzzers and a long soak: what CI runs.
#
# Fails first of all on a source file that clang-format would change or on an
# include that breaks the layout (scripts/check-layout.sh). Each step prints
# its time, so that a slow one shows.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc)

full=0
case ${1:-} in
  '') ;;
  --full) full=1 ;;
  -h | --help)
    sed -n '2,15p' "$0" | sed 's/^# \{0,1\}//'
    exit 0
    ;;
  *)
    echo "usage: scripts/test.sh [--full]" >&2
    exit 2
    ;;
esac

export QT_QPA_PLATFORM=offscreen
# A fixed order would hide tests that lean on each other; the seed is printed.
export GTEST_SHUFFLE=1
# The precompiled headers are cached too: their macros and times are the build's own.
export CCACHE_SLOPPINESS=pch_defines,time_macros,include_file_mtime,include_file_ctime

started=$SECONDS
step() {
  echo "test: $* (at $((SECONDS - started)) s)" >&2
}

step "packages"
"$root/scripts/setup.sh"

step "format and layout"
git -C "$root" ls-files -z '*.cpp' '*.h' | (cd "$root" && xargs -0 clang-format --dry-run --Werror)
"$root/scripts/check-layout.sh"

configure() {  # build folder, then extra cache settings
  local dir=$1
  shift
  [[ -f "$dir/build.ninja" ]] || cmake -S "$root" -B "$dir" -G Ninja -DVANTOREL_WERROR=ON "$@" >/dev/null
}

build="$root/build"
step "Release build"
configure "$build" -DCMAKE_BUILD_TYPE=Release
cmake --build "$build" -- -j"$jobs"
step "tests"
ctest --test-dir "$build" --output-on-failure -j"$jobs"

if ((!full)); then
  step "short soak"
  VANTOREL_BUILD="$build" "$root/scripts/soak.sh" 60
  step "passed in $((SECONDS - started)) s"
  exit 0
fi

step "package"
"$root/scripts/package-test.sh" "$build"
step "long soak"
VANTOREL_BUILD="$build" "$root/scripts/soak.sh" 75

# The sanitizer builds take the Release build's sample tile, the same bytes,
# rather than make it again under the sanitizer. They optimise lightly and
# keep only line tables: that halves their compile time, and a report still
# names the file and line.
sample="$build/sample_N35E138_dem.tif"
light=(-DCMAKE_BUILD_TYPE=RelWithDebInfo "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 -g1 -DNDEBUG" -DVANTOREL_BENCHMARKS=OFF
  -DVANTOREL_SAMPLE_TILE_FROM="$sample")

asan="$root/build-asan"
step "AddressSanitizer and UndefinedBehaviorSanitizer build"
configure "$asan" "${light[@]}" -DVANTOREL_SANITIZE=ON
cmake --build "$asan" -- -j"$jobs"
step "tests under AddressSanitizer and UndefinedBehaviorSanitizer"
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
step "ThreadSanitizer build"
configure "$tsan" "${light[@]}" -DVANTOREL_TSAN=ON
cmake --build "$tsan" --target "${threaded[@]}" -- -j"$jobs"
step "threaded tests under ThreadSanitizer"
export TSAN_OPTIONS="halt_on_error=1 suppressions=$root/tests/tsan.supp"
for program in "${threaded[@]}"; do
  filter='*'
  [[ $program == frame-test ]] && filter='SampleTileFrames.ColumnBands*'
  [[ $program == gui-mainwindow-test ]] && filter='BackgroundJobTest.*:SummitSearchTest.*'
  [[ $program == gui-naturallook-test ]] && filter='ReliefRebuildTest.*'
  "$tsan/tests/$program" --gtest_filter="$filter" >"$tsan/$program.log" 2>&1 ||
    { cat "$tsan/$program.log"; echo "test: $program failed under ThreadSanitizer" >&2; exit 1; }
done

step "fuzzers"
"$root/scripts/fuzz.sh" 20
step "passed in $((SECONDS - started)) s"
