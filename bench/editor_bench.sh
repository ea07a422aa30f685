#!/usr/bin/env bash
# Saving a package with a 1 MB logo: "vantedit --pack" (the same writer the window's Save
# uses) against "zip -9" of the same two files, best of 5 each.
# Usage: editor_bench.sh PATH-TO-VANTEDIT SAMPLES-FOLDER
set -euo pipefail
vantedit=$1 samples=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$samples/harbour-gazette.xml" "$work/doc.xml"
sed -i 's/harbour-gazette.bmp/logo.bmp/' "$work/doc.xml"
head -c 1048576 /dev/urandom > "$work/logo.bmp"
now() { date +%s%N; }
best() {
  local best=999999999 t d
  for _ in 1 2 3 4 5; do
    rm -f "$work/out.nov" "$work/out.zip"
    t=$(now); "$@" >/dev/null; d=$(( ($(now) - t) / 1000 ))
    [ "$d" -lt "$best" ] && best=$d
  done
  echo "$best"
}
pack=$(best "$vantedit" --pack "$work/doc.xml" -o "$work/out.nov")
zipped=$(best zip -9 -j -q "$work/out.zip" "$work/doc.xml" "$work/logo.bmp")
awk -v p="$pack" -v z="$zipped" 'BEGIN {
  printf "save a package with a 1 MB logo: vantedit --pack %.1f ms, zip -9 %.1f ms, ratio %.2f\n", p / 1000, z / 1000, p / z }'
