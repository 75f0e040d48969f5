#!/usr/bin/env bash
# Soak run of the real viewer under a virtual X server: the sample tile with
# the demo flying, and every few seconds, in turns, a drag in the upper or
# lower half of the 3D view, a click on the map, or a tile dropped on the
# window over XDND (x11-drop, tools/x11drop.cpp), valid tiles and broken ones by turns,
# a GPX file of 300,000 points (read on a worker, cut at its cap with a note) and a
# zip of 30,000 entries posing as a tile; the message each of those brings up is
# answered with Return. Fails if the
# viewer dies, stops answering pings, or its resident memory at the end is
# more than 5 % above what it was once every kind of action had been done.
#
#   scripts/soak.sh [SECONDS]      (default 600)
#
# VANTOREL_BUILD (default build/) is built if needed, with SOAK_JOBS (2) jobs.
# SOAK_STEP (1.5) is the pause in seconds between actions, SOAK_WARMUP (20) the
# least time before the memory baseline. On a failure the screen is saved to
# $VANTOREL_BUILD/shots/soak-failed.png.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VANTOREL_BUILD:-"$root/build"}
seconds=${1:-600}
step=${SOAK_STEP:-1.5}
warmup=${SOAK_WARMUP:-20}
growth_limit_percent=5
title_prefix="Ulvaren Vantorel "

[[ $seconds =~ ^[1-9][0-9]*$ ]] || { echo "usage: scripts/soak.sh [SECONDS]" >&2; exit 2; }

"$root/scripts/setup.sh"
[[ -f "$build/build.ninja" ]] || cmake -S "$root" -B "$build" -G Ninja >/dev/null
cmake --build "$build" --target vantorel sample-tile x11-drop -- -j"${SOAK_JOBS:-2}" >/dev/null
sample="$build/sample_N35E138_dem.tif"

work=$(mktemp -d)
xvfb='' viewer='' dropper=''
cleanup() {
  local p
  # CONT too, or a stopped viewer would hold up the wait.
  for p in $dropper $viewer $xvfb; do
    kill "$p" 2>/dev/null || true
    kill -CONT "$p" 2>/dev/null || true
  done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# Xvfb picks a free display itself and names it once it takes clients, so
# runs beside other virtual servers never race for a number.
Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb=$!
for _ in $(seq 100); do
  [[ -s "$work/display" ]] && break
  sleep 0.1
done
[[ -s "$work/display" ]] || { echo "soak: Xvfb did not start" >&2; cat "$work/xvfb.log" >&2; exit 1; }
DISPLAY=":$(head -1 "$work/display")"
export DISPLAY

# Valid tiles are the sample under other names: the name alone places them.
# None lies beside another, or beside a broken one (those have a folder of
# their own), so each opens alone and the memory check compares like with like.
tiles=(
  "$work/x_N36E139_dem.tif"
  "$work/x_S34E151_dem.tif"
  "$work/山 並み_N64E020_dem.tif"
  "$work/x_N47W122_dem.tif"
)
for t in "${tiles[@]}"; do ln -s "$sample" "$t"; done
mkdir "$work/broken"
echo "not elevation data" >"$work/broken/text_N35E138_dem.tif"
head -c 5000000 "$sample" >"$work/broken/cut_N35E138_dem.tif"
head -c 65536 /dev/urandom >"$work/broken/noise_N35E138_dem.tif"
broken=("$work/broken/text_N35E138_dem.tif" "$work/broken/cut_N35E138_dem.tif" "$work/broken/noise_N35E138_dem.tif")
broken_kind=(text truncated non-TIFF)
# Hostile but harmless: a track past the point cap, about 25 MB, and a zip
# whose listing alone is long.
large_gpx="$work/large.gpx"
awk 'BEGIN {
  print "<?xml version=\"1.0\"?><gpx version=\"1.1\" creator=\"soak\" xmlns=\"http://www.topografix.com/GPX/1/1\"><trk><trkseg>"
  for (i = 0; i < 300000; i++)
    printf "<trkpt lat=\"%.6f\" lon=\"%.6f\"/>\n", 35.2 + (i % 1000) * 0.0005, 138.2 + int(i / 1000) * 0.002
  print "</trkseg></trk></gpx>"
}' >"$large_gpx"
mkdir "$work/zip"
many_zip="$work/zip/N35E138.SRTMGL1.hgt.zip"
python3 - "$many_zip" <<'PY'
import sys, zipfile
with zipfile.ZipFile(sys.argv[1], "w", zipfile.ZIP_STORED) as z:
    for i in range(30000):
        z.writestr("entry%05d.txt" % i, "")
PY

shots="$build/shots"
fail() {
  echo "soak: FAILED after $(elapsed) s: $*" >&2
  mkdir -p "$shots" && import -window root "$shots/soak-failed.png" 2>/dev/null &&
    echo "soak: screen saved to $shots/soak-failed.png" >&2
  echo "soak: last lines from the viewer:" >&2
  tail -5 "$work/viewer.log" >&2 || true
  exit 1
}

start=$SECONDS
elapsed() { echo $((SECONDS - start)); }

# On the virtual X server itself, whatever platform the caller's tests chose,
# and with settings of its own: the user's look or lists would change what is
# measured.
(cd "$work" && QT_QPA_PLATFORM=xcb XDG_CONFIG_HOME="$work/config" exec "$build/vantorel" "$sample") \
  >"$work/viewer.log" 2>&1 &
viewer=$!
echo "soak: viewer $viewer on display $DISPLAY for $seconds s"

# A child that has ended stays as a zombie until waited for.
running() {
  local state
  state=$(awk '/^State:/ { print $2 }' "/proc/$1/status" 2>/dev/null || true)
  [[ -n $state && $state != Z ]]
}

alive() {
  if ! running "$viewer"; then
    local status=0
    wait "$viewer" || status=$?
    viewer=
    fail "the viewer died (exit status $status)"
  fi
}

# The client itself must handle the ping: a hung event loop cannot.
answers() {
  "$build/x11-drop" --ping "$wid" 10 || fail "the viewer stopped answering (no ping reply within 10 s)"
}

rss_kb() {
  awk '/^VmRSS:/ { print $2 }' "/proc/$viewer/status"
}

title() {
  xdotool getwindowname "$wid"
}

for _ in $(seq 150); do
  wid=$(xdotool search --name "^$title_prefix.* ： " 2>/dev/null | head -1 || true)
  [[ -n $wid ]] && break
  alive
  sleep 0.1
done
[[ -n $wid ]] || fail "the sample tile did not open"
eval "$(xdotool getwindowgeometry --shell "$wid")"
W=$WIDTH H=$HEIGHT
# The 3D view is left of the 360-pixel map panel and above the 111 pixels of
# the bottom panels (the status line in their top 20) and the 21 of the
# cursor line; the demo button sits 47 pixels from the right edge, 56 down
# the bottom panel.
vw=$((W - 362)) vh=$((H - 111 - 21 - 2))
demo_x=$((X + W - 47 - 98)) demo_y=$((Y + H - 90 + 56 + 12))
sleep 1

# The window down to the status line: the 3D view, the map with the eye on
# it and the eye's position and heading in figures. Far off the tile the view
# may show nothing but sky, and then only the figures and the map move.
# Uncompressed, so that a shot costs little beside the flying viewer.
view_shot() {
  import -window root -crop "${W}x$((H - 91))+$X+$Y" +repage "ppm:$work/$1.ppm"
}

# Frames are deterministic: a view that stands still gives the same pixels.
flying() {
  view_shot a
  sleep 0.4
  view_shot b
  ! cmp -s "$work/a.ppm" "$work/b.ppm"
}

# Closing a message makes the main window active again, which stops the demo;
# the view standing still shows it, and the button starts it again.
demo_starts=0
keep_flying() {
  for _ in 1 2 3; do
    flying && return 0
    xdotool mousemove "$demo_x" "$demo_y" click 1
    demo_starts=$((demo_starts + 1))
    sleep 0.3
  done
  flying || fail "the demo does not fly"
}

drag() { # x0 y0 x1 y1, relative to the client area
  xdotool mousemove $((X + $1)) $((Y + $2)) mousedown 1
  for i in 1 2 3 4 5 6 7 8 9 10; do
    xdotool mousemove $((X + $1 + ($3 - $1) * i / 10)) $((Y + $2 + ($4 - $2) * i / 10))
    sleep 0.03
  done
  xdotool mouseup 1
}

message_box() {
  xdotool search --onlyvisible --name '^Vantorel$' 2>/dev/null | head -1 || true
}

# Drops FILE; a broken one must bring up a message, which is answered, and
# leave the open tile in place; a valid one must become the open tile.
drop() { # FILE valid|broken
  local file=$1 kind=$2 before box try ok status=0
  before=$(title)
  "$build/x11-drop" "$wid" "$file" 60 &
  dropper=$!
  if [[ $kind == broken ]]; then
    box=
    for _ in $(seq 150); do
      box=$(message_box)
      [[ -n $box ]] && break
      alive
      sleep 0.1
    done
    [[ -n $box ]] || fail "no message for the broken tile $(basename "$file")"
    # Return first, as a user would; then a click on OK, at the box's lower right.
    for try in $(seq 20); do
      if ((try <= 10)); then
        xdotool windowfocus --sync "$box" key Return 2>/dev/null || true
      else
        # In a subshell: the main window's X and Y stay as they are.
        ok=$(eval "$(xdotool getwindowgeometry --shell "$box" 2>/dev/null)" &&
          echo "$((X + WIDTH - 50)) $((Y + HEIGHT - 22))") || ok=''
        # shellcheck disable=SC2086 # the two coordinates
        [[ -n $ok ]] && { xdotool mousemove $ok click 1 2>/dev/null || true; }
      fi
      sleep 0.2
      [[ -z $(message_box) ]] && break
    done
    [[ -z $(message_box) ]] || fail "the message for $(basename "$file") cannot be closed, neither with Return nor with a click on OK"
  else
    while running "$dropper"; do
      [[ -z $(message_box) ]] || fail "the valid tile $(basename "$file") was refused with a message"
      alive
      sleep 0.1
    done
  fi
  wait "$dropper" || status=$?
  dropper=
  case $status in
    0) ;;
    1) fail "the viewer refused the drop of $(basename "$file")" ;;
    2) fail "the drop of $(basename "$file") did not finish within 60 s" ;;
    *) fail "the drop of $(basename "$file") failed (x11-drop status $status)" ;;
  esac
  alive
  if [[ $kind == valid ]]; then
    [[ $(title) == "$title_prefix"*" ： $file" ]] || fail "the drop of $(basename "$file") did not reach the viewer (title: $(title))"
  else
    [[ $(title) == "$before" ]] || fail "the broken tile $(basename "$file") replaced the open one (title: $(title))"
  fi
}

keep_flying
RANDOM=7
declare -A done_count=()
count() { done_count[$1]=$((${done_count[$1]:-0} + 1)); }
valid_turn=0 broken_turn=0 up_sign=1 low_sign=1
baseline='' baseline_at='' peak=0 rss=0 turn=0
# One round holds every kind of action; drops alternate valid and broken.
round=(upper valid lower broken map valid upper broken lower valid map broken large-gpx many-zip)

while (($(elapsed) < seconds)); do
  action=${round[turn % ${#round[@]}]}
  case $action in
    upper)
      x0=$((vw / 2 - 100 + RANDOM % 200))
      drag "$x0" 60 $((x0 - up_sign * (100 + RANDOM % 100))) $((60 + up_sign * (RANDOM % 40)))
      up_sign=$((-up_sign))
      count "upper drags"
      ;;
    lower)
      x0=$((vw / 2 - 100 + RANDOM % 200))
      drag "$x0" $((vh - 60)) $((x0 + low_sign * (40 + RANDOM % 80))) $((vh - 60 - low_sign * (20 + RANDOM % 30)))
      low_sign=$((-low_sign))
      count "lower drags"
      ;;
    map)
      xdotool mousemove $((X + W - 360 + 20 + RANDOM % 320)) $((Y + 4 + 20 + RANDOM % 320)) click 1
      count "map clicks"
      ;;
    valid)
      drop "${tiles[valid_turn % ${#tiles[@]}]}" valid
      valid_turn=$((valid_turn + 1))
      count "valid drops"
      ;;
    large-gpx | many-zip)
      if [[ $action == large-gpx ]]; then
        drop "$large_gpx" broken
        # Cleared again, as a user would: the memory check then compares like with like.
        xdotool windowfocus --sync "$wid" key Delete 2>/dev/null || true
      else
        drop "$many_zip" broken
      fi
      count "$action drops"
      ;;
    broken)
      drop "${broken[broken_turn % 3]}" broken
      count "${broken_kind[broken_turn % 3]} drops"
      broken_turn=$((broken_turn + 1))
      ;;
  esac
  turn=$((turn + 1))
  sleep 0.3
  alive
  answers
  keep_flying
  rss=$(rss_kb)
  ((rss > peak)) && peak=$rss
  if [[ -z $baseline ]] && ((turn >= ${#round[@]} && $(elapsed) >= warmup)); then
    baseline=$rss baseline_at=$(elapsed)
    echo "soak: memory baseline $((rss / 1024)) MiB at ${baseline_at} s"
  fi
  sleep "$step"
done

duration=$(elapsed)
alive
answers
end=$(rss_kb)
((end > peak)) && peak=$end
summary=""
for kind in "upper drags" "lower drags" "map clicks" "valid drops" "text drops" "truncated drops" "non-TIFF drops" \
  "large-gpx drops" "many-zip drops"; do
  summary+="${summary:+, }${done_count[$kind]:-0} $kind"
done
echo "soak: $duration s, $turn actions: $summary; demo restarted $demo_starts times"
[[ -n $baseline ]] || fail "the run ended before every kind of action was done and a baseline taken: give it more time"
growth=$(awk -v b="$baseline" -v e="$end" 'BEGIN { printf "%+.2f", (e - b) * 100 / b }')
echo "soak: resident memory baseline $((baseline / 1024)) MiB (at $baseline_at s), peak $((peak / 1024)) MiB, end $((end / 1024)) MiB ($growth %)"
awk -v b="$baseline" -v e="$end" -v l="$growth_limit_percent" 'BEGIN { exit !(e <= b * (1 + l / 100)) }' ||
  fail "resident memory grew by $growth % since the baseline, more than $growth_limit_percent %"
echo "soak: passed"
