#!/usr/bin/env bash
# Renders querlan.svg, the program's icon, into the files the builds embed: querlan.ico
# (16 to 256 pixels, for the Windows resource), querlan.png (64 pixels, for the Linux
# window) and hicolor/<size>.png (the Linux package's menu icons). All are kept in the tree,
# so a build needs neither tool. Needs rsvg-convert (librsvg2-bin) and ImageMagick's convert.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
sizes=(16 24 32 48 256)
for size in "${sizes[@]}"; do
  rsvg-convert -w "$size" -h "$size" "$here/querlan.svg" -o "$work/$size.png"
done
convert $(printf "$work/%s.png " "${sizes[@]}") "$here/querlan.ico"
rsvg-convert -w 64 -h 64 "$here/querlan.svg" -o "$here/querlan.png"
mkdir -p "$here/hicolor"
for size in 16 32 48 128 256; do
  rsvg-convert -w "$size" -h "$size" "$here/querlan.svg" -o "$here/hicolor/$size.png"
done
