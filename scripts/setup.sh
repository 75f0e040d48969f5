#!/usr/bin/env bash
# Installs every Debian package the project needs to build, test and run.
# Idempotent: asks apt only for what is missing, and says nothing when all is present.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config ccache
  qt6-base-dev qt6-base-dev-tools libgl-dev
  qt6-tools-dev qt6-l10n-tools librsvg2-bin dpkg-dev appstream desktop-file-utils
  libgtest-dev libgmock-dev libbenchmark-dev
  libtiff-dev libgdal-dev gdal-bin
  libosmium2-dev libprotozero-dev zlib1g-dev libbz2-dev libexpat1-dev liblz4-dev
  clang libfuzzer-14-dev
  fonts-ipafont-gothic fonts-ipafont-mincho
  xvfb xauth imagemagick x11-utils xdotool libx11-dev python3
  libavcodec-dev libavformat-dev libavutil-dev libswscale-dev ffmpeg
)

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ $status == "install ok installed" ]] || missing+=("$p")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

sudo=""
[[ $(id -u) -ne 0 ]] && sudo="sudo"
echo "setup: installing ${missing[*]}" >&2
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq >/dev/null
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
