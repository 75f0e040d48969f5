#!/usr/bin/env bash
# Starts the viewer on the sample tile under a virtual X server and saves a
# screenshot of the whole screen, the main window with the tile loaded.
#
#   scripts/screenshot.sh [OUT.png]
#
# BUILD_DIR (default build/) is built if needed; the picture goes to
# $BUILD_DIR/shots/main.png unless named. SCREEN (default 1280x800) is the
# virtual screen's size. WINDOW (WIDTHxHEIGHT) sizes the window and puts it
# in the screen's corner, e.g. the screen's size for a full-screen picture.
# MORE_FILES, when set, are opened after the tile (GPX files, peak lists).
# ACTIONS, when set, is run through bash before the picture is taken, with
# $window the viewer's window id, for xdotool moves and clicks:
#   ACTIONS='xdotool mousemove 900 200 click 4' scripts/screenshot.sh
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-"$root/build"}
screen=${SCREEN:-1280x800}
out=${1:-"$build/shots/main.png"}

if [[ ${1:-} != --inside ]]; then
  "$root/scripts/setup.sh"
  [[ -f "$build/build.ninja" ]] || cmake -S "$root" -B "$build" -G Ninja >/dev/null
  cmake --build "$build" --target vantorel sample-tile -- -j2 >/dev/null
  mkdir -p "$(dirname "$out")"
  exec xvfb-run -a -s "-screen 0 ${screen}x24" env BUILD_DIR="$build" WINDOW="${WINDOW:-}" ACTIONS="${ACTIONS:-}" \
    MORE_FILES="${MORE_FILES:-}" \
    "$0" --inside "$(realpath -m "$out")"
fi

out=$2
# shellcheck disable=SC2086 # MORE_FILES is a list of names
"$build/vantorel" "$build/sample_N35E138_dem.tif" ${MORE_FILES:-} >/dev/null 2>&1 &
viewer=$!
trap 'kill $viewer 2>/dev/null || true' EXIT

# The title names the tile once it is loaded and drawn, in either language.
loaded="^Ulvaren Vantorel [0-9.]+ .+"
for _ in $(seq 100); do
  xdotool search --name "$loaded" >/dev/null 2>&1 && break
  sleep 0.1
done
xdotool search --name "$loaded" >/dev/null || { echo "screenshot: the tile did not open" >&2; exit 1; }
sleep 1
window=$(xdotool search --name "$loaded" | head -1)
if [[ -n ${WINDOW:-} ]]; then
  xdotool windowmove "$window" 0 0 windowsize "$window" "${WINDOW%x*}" "${WINDOW#*x}"
  sleep 1
fi
if [[ -n ${ACTIONS:-} ]]; then
  window=$window bash -c "$ACTIONS"
  sleep 1
fi
import -window root "$out"
echo "$out"
