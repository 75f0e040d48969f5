#!/usr/bin/env bash
# Builds the viewer if needed and starts it on the given tile, or on the
# project's own sample tile (made at build time) when none is given.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build"

"$root/scripts/setup.sh"
[[ -f "$build/build.ninja" ]] || cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target vantorel sample-tile vantorel-render -- -j"$(nproc)" >/dev/null

tile=${1:-"$build/sample_N35E138_dem.tif"}
exec "$build/vantorel" "$tile"
