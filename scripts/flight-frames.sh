#!/usr/bin/env bash
# A flight across a tile's edge, frame by frame: the viewer opens the 3 x 3
# set around N35E138 (the sample tile under every name) with the eye 2.7 km
# west of the eastern neighbour, heading east, under a virtual X server; ↑ is
# held for SECONDS (default 12), so that the eye crosses into the neighbour
# and the set around it is loaded and takes over while the flight goes on.
# The viewer logs every frame (VANTOREL_FRAME_LOG, app/framelog.h); printed
# are the frames, the longest gap between two, the gaps over 33 ms, and the
# share of repeated frames a screen recording at 31 fps would show, for the
# whole flight and for the two seconds after the new set arrived. RUNS
# (default 3) flights in a row, in LOOK (classic, the default, or natural).
#
#   scripts/flight-frames.sh [SECONDS]
#
# BUILD_DIR (default build/) is built if needed.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-"$root/build"}
seconds=${1:-12}
runs=${RUNS:-3}
look=${LOOK:-classic}

if [[ ${2:-} != --inside ]]; then
  "$root/scripts/setup.sh"
  [[ -f "$build/build.ninja" ]] || cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$build" --target vantorel sample-tile -- -j2 >/dev/null
  exec xvfb-run -a -s "-screen 0 1920x1080x24 -noreset" env BUILD_DIR="$build" RUNS="$runs" LOOK="$look" "$0" "$seconds" --inside
fi

work=$(mktemp -d)
viewer=''
trap '[[ -n $viewer ]] && kill "$viewer" 2>/dev/null; rm -rf "$work"' EXIT
for lat in 34 35 36; do
  for lon in 137 138 139; do
    ln -s "$build/sample_N35E138_dem.tif" "$work/N${lat}E${lon}_dem.tif"
  done
done
# The last view, which the viewer opens when started without a tile.
mkdir -p "$work/config/Ulvaren"
cat >"$work/config/Ulvaren/Vantorel.conf" <<EOF
[lastView]
restore=true
tile=$work/N35E138_dem.tif
latitude=35.5
longitude=138.97
minAltitude=2500
azimuth=90
pitch=-5
viewAngle=60

[NaturalLook]
look=$look
EOF

# The flight's first frame: the first after ↑ was pressed.
flight_start() { # LOG
  awk '$1 == "key" { pressed = 1 } pressed && $1 == "frame" { print $2; exit }' "$1"
}

# The frames of a log from FROM to TO milliseconds.
report() { # LOG LABEL FROM [TO]
  awk -v label="$2" -v from="$3" -v to="${4:-1e12}" '
    $1 == "frame" && $2 >= from && $2 <= to { t[n++] = $2 }
    END {
      if (n < 2) { printf "%s: fewer than two frames\n", label; exit }
      longest = 0; over = 0
      for (i = 1; i < n; i++) {
        gap = t[i] - t[i - 1]
        if (gap > longest) longest = gap
        if (gap > 33) over++
      }
      # A recording at 31 fps repeats a frame when no new one came between two of its own.
      slot = 1000 / 31; slots = 0; repeated = 0; j = 0
      for (s = t[0] + slot; s <= t[n - 1]; s += slot) {
        fresh = 0
        while (j < n && t[j] <= s) { if (t[j] > s - slot) fresh = 1; j++ }
        slots++; if (!fresh) repeated++
      }
      printf "%s: %d frames in %.1f s, %.1f fps; longest gap %.1f ms; %d gaps over 33 ms; %.1f %% repeated at 31 fps\n",
        label, n, (t[n - 1] - t[0]) / 1000, (n - 1) * 1000 / (t[n - 1] - t[0]), longest, over, slots ? 100 * repeated / slots : 0
    }' "$1"
}

for run in $(seq "$runs"); do
  log="$work/frames-$run.log"
  XDG_CONFIG_HOME="$work/config" VANTOREL_FRAME_LOG="$log" "$build/vantorel" >"$work/viewer.log" 2>&1 &
  viewer=$!
  wid=''
  for _ in $(seq 300); do
    wid=$(xdotool search --name "^Ulvaren Vantorel .* ： " 2>/dev/null | head -1 || true)
    [[ -n $wid ]] && break
    sleep 0.05
  done
  [[ -n $wid ]] || { echo "flight-frames: the set did not open" >&2; cat "$work/viewer.log" >&2; exit 1; }
  sleep 2  # the summit search and the map of the set first
  xdotool windowactivate --sync "$wid" 2>/dev/null || true
  xdotool windowfocus --sync "$wid" keydown Up
  sleep "$seconds"
  xdotool keyup Up
  sleep 0.5
  kill "$viewer"
  wait "$viewer" 2>/dev/null || true
  viewer=''
  echo "flight $run:"
  start=$(flight_start "$log")
  [[ -n $start ]] || { echo "flight-frames: no flight in the log" >&2; exit 1; }
  report "$log" "  whole flight" "$start"
  swap=$(awk '$1 == "set" { print $2; exit }' "$log")
  if [[ -n $swap ]]; then
    echo "  the new set arrived $(awk -v s="$swap" -v f="$start" 'BEGIN { printf "%.1f", (s - f) / 1000 }') s into the flight"
    report "$log" "  two seconds after it" "$swap" "$(awk -v s="$swap" 'BEGIN { print s + 2000 }')"
  else
    echo "  no new set arrived: the eye did not cross the edge"
  fi
done
