#!/usr/bin/env bash
# Launch to first frame: starts the viewer on the sample tile under a virtual
# X server RUNS times (default 10) and prints each time from the launch to
# the window titled with the tile, which it is given right before its first
# frame is drawn and shown, then the median.
#
#   scripts/startup-time.sh [TILE]
#
# BUILD_DIR (default build/) is built if needed. Times include the poll's own
# granularity, under 5 ms.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-"$root/build"}
runs=${RUNS:-10}

if [[ ${1:-} != --inside ]]; then
  "$root/scripts/setup.sh"
  [[ -f "$build/build.ninja" ]] || cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$build" --target vantorel sample-tile -- -j2 >/dev/null
  exec xvfb-run -a -s "-screen 0 1920x1080x24 -noreset" env BUILD_DIR="$build" RUNS="$runs" "$0" --inside \
    "$(realpath "${1:-$build/sample_N35E138_dem.tif}")"
fi

tile=$2
loaded="^Ulvaren Vantorel [0-9.]+ .+"
times=()
for _ in $(seq "$runs"); do
  start=$(date +%s%N)
  "$build/vantorel" "$tile" >/dev/null 2>"${TMPDIR:-/tmp}/startup-time.log" &
  viewer=$!
  until xdotool search --name "$loaded" >/dev/null 2>&1; do
    kill -0 "$viewer" 2>/dev/null || { echo "startup-time: the viewer ended before its first frame:" >&2; cat "${TMPDIR:-/tmp}/startup-time.log" >&2; exit 1; }
  done
  end=$(date +%s%N)
  kill "$viewer"
  wait "$viewer" 2>/dev/null || true
  ms=$(((end - start) / 1000000))
  times+=("$ms")
  echo "launch to first frame: $ms ms"
done
median=$(printf '%s\n' "${times[@]}" | sort -n | awk '{ a[NR] = $1 } END { print (NR % 2) ? a[(NR + 1) / 2] : int((a[NR / 2] + a[NR / 2 + 1]) / 2) }')
echo "median of $runs: $median ms"
