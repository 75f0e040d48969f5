#!/usr/bin/env bash
# Whole-process time of a command, start-up included: runs it RUNS times
# (default 10) after one run that warms the page cache, and prints each
# wall time and the median.
#
#   scripts/process-time.sh build/vantorel-render build/sample_N35E138_dem.tif --heights /dev/null
set -euo pipefail
runs=${RUNS:-10}
(( $# > 0 )) || { echo "usage: $0 COMMAND [ARG ...]" >&2; exit 2; }
"$@" >/dev/null 2>&1
times=()
for _ in $(seq "$runs"); do
  start=$(date +%s%N)
  "$@" >/dev/null 2>&1
  end=$(date +%s%N)
  times+=($(((end - start) / 1000000)))
done
echo "wall ms: ${times[*]}"
printf '%s\n' "${times[@]}" | sort -n |
  awk '{ a[NR] = $1 } END { print "median of " NR ": " ((NR % 2) ? a[(NR + 1) / 2] : int((a[NR / 2] + a[NR / 2 + 1]) / 2)) " ms" }'
