#!/usr/bin/env bash
# Builds the Debian package in a build folder and checks what a user would
# get from it: unpacked into a scratch root (nothing is installed on this
# machine), it must hold the programs, the menu entry, the icons and the
# software centre's description, declare its dependencies, print its version,
# and start the viewer on the sample tile and keep it running, headless.
#
#   scripts/package-test.sh [BUILD_DIR]     (default: build/)
#
# The package is left in BUILD_DIR (vantorel_VERSION_ARCH.deb).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m "${1:-$root/build}")
# Seconds the viewer must keep running on the sample tile.
alive_seconds=${ALIVE_SECONDS:-5}

fail() {
  echo "package-test: $*" >&2
  exit 1
}

"$root/scripts/setup.sh"
[[ -f "$build/build.ninja" ]] || cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -- -j"$(nproc)" >/dev/null

scratch=$(mktemp -d)
viewer=""
cleanup() {
  if [[ -n $viewer ]]; then kill "$viewer" 2>/dev/null || true; fi
  rm -rf "$scratch"
}
trap cleanup EXIT

(cd "$build" && cpack -G DEB) >"$scratch/cpack.log" 2>&1 || { cat "$scratch/cpack.log" >&2; fail "cpack failed"; }
version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")
deb="$build/vantorel_${version}_$(dpkg --print-architecture).deb"
[[ -f $deb ]] || fail "no package $deb"

# The libraries come from dpkg-shlibdeps, the fonts from the build's list.
depends=$(dpkg-deb -f "$deb" Depends)
for needed in libqt6widgets6 libtiff libgdal fonts-ipafont-gothic fonts-ipafont-mincho; do
  [[ $depends == *"$needed"* ]] || fail "Depends lacks $needed: $depends"
done

unpacked="$scratch/root"
dpkg-deb -x "$deb" "$unpacked"
id=io.github.ulvaren.Vantorel
share="$unpacked/usr/share"
for file in usr/bin/vantorel usr/bin/vantorel-render "usr/share/applications/$id.desktop" \
  "usr/share/metainfo/$id.metainfo.xml" "usr/share/icons/hicolor/scalable/apps/$id.svg"; do
  [[ -f "$unpacked/$file" ]] || fail "the package lacks /$file"
done
for size in 16 22 24 32 48 64 128 256; do
  png="$share/icons/hicolor/${size}x${size}/apps/$id.png"
  [[ -f $png ]] || fail "the package lacks the ${size}x${size} icon"
  [[ $(identify -format '%wx%h' "$png") == "${size}x${size}" ]] || fail "the ${size}x${size} icon has another size"
done
desktop-file-validate "$share/applications/$id.desktop" || fail "the menu entry does not validate"
grep -q '^Exec=vantorel %f$' "$share/applications/$id.desktop" || fail "the menu entry does not open a given tile"
appstreamcli validate --no-net --strict "$share/metainfo/$id.metainfo.xml" >"$scratch/appstream.log" 2>&1 ||
  { cat "$scratch/appstream.log" >&2; fail "the metainfo does not validate"; }

[[ $("$unpacked/usr/bin/vantorel" --version) == "Ulvaren Vantorel $version" ]] || fail "vantorel --version is wrong"
# The English translation is inside the installed viewer.
# Read whole before grep looks: grep -q stops at the first match, and a
# program still writing would end on a broken pipe.
viewer_help=$("$unpacked/usr/bin/vantorel" --lang en --help) || fail "vantorel --help failed"
grep -q '^Usage: vantorel' <<<"$viewer_help" || fail "vantorel speaks no English"
render_help=$("$unpacked/usr/bin/vantorel-render" --help) || fail "vantorel-render --help failed"
grep -q -- '--heights' <<<"$render_help" || fail "vantorel-render --help is wrong"

QT_QPA_PLATFORM=offscreen "$unpacked/usr/bin/vantorel" "$build/sample_N35E138_dem.tif" >"$scratch/viewer.log" 2>&1 &
viewer=$!
sleep "$alive_seconds"
kill -0 "$viewer" 2>/dev/null || { cat "$scratch/viewer.log" >&2; fail "the unpacked viewer did not keep running"; }
echo "package-test: $deb works"
