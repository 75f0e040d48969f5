#!/usr/bin/env bash
# End-to-end run of the real viewer on the sample tile under a virtual X
# server: a map click, drags in both halves of the 3D view, the demo for a
# few seconds, screenshots after each, then checks that the viewer still
# runs and that the 3D view changed. A second pass does the same with the
# window filling the screen.
#
#   scripts/e2e.sh
#
# BUILD_DIR (default build/) is built if needed; screenshots go to
# $BUILD_DIR/shots/e2e-*.png. SCREEN (default 1920x1080) is the virtual
# screen. The viewer runs in a folder holding the developer file, so the
# frame-rate readout shows; e2e-*-rate.png is that readout, cut out.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-"$root/build"}
screen=${SCREEN:-1920x1080}
demo_seconds=${DEMO_SECONDS:-4}

if [[ ${1:-} != --inside ]]; then
  "$root/scripts/setup.sh"
  [[ -f "$build/build.ninja" ]] || cmake -S "$root" -B "$build" -G Ninja >/dev/null
  cmake --build "$build" --target vantorel sample-tile -- -j2 >/dev/null
  mkdir -p "$build/shots"
  exec xvfb-run -a -s "-screen 0 ${screen}x24" env BUILD_DIR="$build" DEMO_SECONDS="$demo_seconds" "$0" --inside
fi

shots="$build/shots"
work=$(mktemp -d)
touch "$work/Vantorel.bpr"
viewer=
cleanup() {
  [[ -n $viewer ]] && kill "$viewer" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "e2e: $*" >&2
  exit 1
}

alive() {
  kill -0 "$viewer" 2>/dev/null || fail "the viewer is no longer running"
}

# Sets wid, and X Y W H of the main window's client area on the screen.
find_window() {
  wid=$(xdotool search --name "Ulvaren Vantorel 0.08 ：" | head -1)
  eval "$(xdotool getwindowgeometry --shell "$wid")"
  X=$X Y=$Y W=$WIDTH H=$HEIGHT
}

shot() {
  import -window root "$shots/e2e-$1.png"
}

# The 3D view: left of the 360-pixel map panel, above the 111 pixels of the
# bottom panels and the 21 of the cursor line.
view_region() {
  echo "$((W - 360 - 4))x$((H - 111 - 21 - 4))+$((X + 2))+$((Y + 2))"
}

differs() {
  local region n
  region=$(view_region)
  convert "$1" -crop "$region" +repage "$work/a.png"
  convert "$2" -crop "$region" +repage "$work/b.png"
  # compare prints the number of differing pixels on standard error.
  n=$(compare -metric AE "$work/a.png" "$work/b.png" null: 2>&1 || true)
  [[ $n =~ ^[0-9.e+]+$ ]] || fail "compare: $n"
  (( $(printf '%.0f' "$n") > 1000 ))
}

drag() {  # x0 y0 x1 y1, relative to the client area
  xdotool mousemove $((X + $1)) $((Y + $2)) mousedown 1
  for i in 1 2 3 4 5 6 7 8 9 10; do
    xdotool mousemove $((X + $1 + ($3 - $1) * i / 10)) $((Y + $2 + ($4 - $2) * i / 10))
    sleep 0.05
  done
  xdotool mouseup 1
}

run_pass() {  # name, then the map point to click, from the map panel's top-left corner
  local pass=$1 map_x=$2 map_y=$3
  find_window
  shot "$pass-start"

  xdotool mousemove $((X + W - 360 + map_x)) $((Y + 4 + map_y)) click 1
  sleep 1
  shot "$pass-map"
  alive
  differs "$shots/e2e-$pass-start.png" "$shots/e2e-$pass-map.png" || fail "$pass: a map click left the 3D view unchanged"

  local vw=$((W - 362)) vh=$((H - 111 - 21 - 2))
  drag $((vw / 2)) 60 $((vw / 2 - 150)) 90          # upper half: turn and tilt
  drag $((vw / 2)) $((vh - 60)) $((vw / 2 - 80)) $((vh - 100))  # lower half: slide and climb
  sleep 0.5
  shot "$pass-drags"
  alive
  differs "$shots/e2e-$pass-map.png" "$shots/e2e-$pass-drags.png" || fail "$pass: the drags left the 3D view unchanged"

  # The demo button sits 47 pixels from the right edge, 56 down the bottom panel.
  local demo_x=$((W - 47 - 98)) demo_y=$((H - 90 + 56 + 12))
  xdotool mousemove $((X + demo_x)) $((Y + demo_y)) click 1
  sleep "$DEMO_SECONDS"
  shot "$pass-demo"
  alive
  differs "$shots/e2e-$pass-drags.png" "$shots/e2e-$pass-demo.png" || fail "$pass: the demo left the 3D view unchanged"
  # The frame-rate readout, 408 pixels in, 8 down the bottom panel.
  convert "$shots/e2e-$pass-demo.png" -crop "120x20+$((X + 400))+$((Y + H - 90 + 4))" +repage \
    -scale 300% "$shots/e2e-$pass-rate.png"
  xdotool mousemove $((X + demo_x)) $((Y + demo_y)) click 1
  sleep 0.5
  alive
  echo "e2e: $pass pass: ${W}x${H}, screenshots in $shots/e2e-$pass-*.png"
}

(cd "$work" && exec "$build/vantorel" "$build/sample_N35E138_dem.tif") >/dev/null 2>&1 &
viewer=$!
for _ in $(seq 100); do
  xdotool search --name "Ulvaren Vantorel 0.08 ：" >/dev/null 2>&1 && break
  sleep 0.1
done
xdotool search --name "Ulvaren Vantorel 0.08 ：" >/dev/null || fail "the tile did not open"
sleep 1

# North of the tile centre, then south-west of it.
run_pass minimum 180 90

# No window manager runs here: filling the screen is a move and a resize.
read -r sw sh < <(xdpyinfo | awk '/dimensions:/ { split($2, s, "x"); print s[1], s[2] }')
xdotool windowmove "$wid" 0 0 windowsize "$wid" "$sw" "$sh"
sleep 1.5
run_pass maximised 120 260
echo "e2e: passed"
