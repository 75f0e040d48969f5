#!/usr/bin/env bash
# Builds the libFuzzer targets with clang, ASan and UBSan in build-fuzz and runs
# each for SECONDS (default 60) over a copy of its seed corpus in fuzz/corpus;
# new inputs stay in the copy. Fails on any crash, leak, timeout or memory blow-up,
# leaving the input that caused it in build-fuzz/findings.
#
# usage: scripts/fuzz.sh [SECONDS]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
[[ $seconds =~ ^[0-9]+$ ]] || { echo "usage: $0 [SECONDS]" >&2; exit 2; }

"$root/scripts/setup.sh"

build="$root/build-fuzz"
[[ -f "$build/build.ninja" ]] ||
  CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DVANTOREL_FUZZ=ON -DVANTOREL_BENCHMARKS=OFF >/dev/null
cmake --build "$build" --target tilereader-fuzz names-fuzz position-fuzz gpx-fuzz places-fuzz -- -j"$(nproc)"

# The reader's input files and the working corpora live in memory when they can.
scratch_parent=/dev/shm
[[ -d $scratch_parent && -w $scratch_parent ]] || scratch_parent=${TMPDIR:-/tmp}
scratch=$(mktemp -d "$scratch_parent/vantorel-fuzz-XXXXXX")
trap 'rm -rf "$scratch"' EXIT
export VANTOREL_FUZZ_DIR="$scratch"
findings="$build/findings"
mkdir -p "$findings"

# target, longest input in bytes
targets=("tilereader-fuzz 65536" "names-fuzz 4096" "position-fuzz 4096" "gpx-fuzz 65536" "places-fuzz 4096")
for entry in "${targets[@]}"; do
  read -r target max_len <<<"$entry"
  corpus="$scratch/corpus-$target"
  mkdir -p "$corpus"
  cp "$root/fuzz/corpus/${target%-fuzz}/"* "$corpus/"
  echo "fuzz: $target for ${seconds}s" >&2
  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
    UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    "$build/fuzz/$target" "$corpus" -max_total_time="$seconds" -max_len="$max_len" -timeout=10 \
    -rss_limit_mb=2048 -artifact_prefix="$findings/$target-" -print_final_stats=1
done
