#!/usr/bin/env bash
# Checks the house rules of the source tree: every folder is a library that
# includes only from itself and the folders below it, the libraries below
# `overlays` have no Qt, and project headers are named from the root
# ("core/raster.h"). Prints each broken rule and fails if there is one.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

# What each folder may include, besides itself.
declare -A below=(
  [core]=""
  [relief]="core"
  [elevation]="core relief"
  [summits]="core relief elevation"
  [places]="core relief elevation summits"
  [render]="core relief elevation"
  [flight]="core relief elevation"
  [video]="core"
  [overlays]="core relief elevation summits places render flight video"
  [app]="core relief elevation summits places render flight video overlays"
  [tools]="core relief elevation summits places render flight video overlays"
)
qt_free=(core relief elevation summits places render flight video)

status=0
complain() {
  echo "layout: $*" >&2
  status=1
}

while IFS= read -r -d '' file; do
  folder=${file%%/*}
  allowed=" $folder ${below[$folder]-} "
  while IFS= read -r line; do
    number=${line%%:*}
    included=$(sed -E 's/^[0-9]+:#include "([^"]+)".*/\1/' <<<"$line")
    case $included in
      ui_*.h | *.moc | moc_*.cpp) continue ;;  # Qt's generated code
    esac
    if [[ $included != */* ]]; then
      # A test's, benchmark's or fuzzer's own helper beside it.
      [[ -f $(dirname "$file")/$included ]] && [[ $folder =~ ^(tests|bench|fuzz)$ ]] && continue
      complain "$file:$number: \"$included\" is not named from the root"
      continue
    fi
    [[ -f $included ]] || complain "$file:$number: \"$included\" does not exist"
    target=${included%%/*}
    [[ -v below[$folder] ]] || continue  # tests, benchmarks and fuzzers use any library
    [[ $allowed == *" $target "* ]] || complain "$file:$number: $folder/ may not include $included"
  done < <(grep -n '^#include "' "$file" || true)
done < <(git ls-files -z '*.cpp' '*.h')

for folder in "${qt_free[@]}"; do
  while IFS= read -r hit; do
    complain "$hit: Qt in the Qt-free library $folder/"
  done < <(git grep -n -E '^#include <Q|^#include <qt' -- "$folder" || true)
done

exit $status
