#!/usr/bin/env bash
# Re-renders the icon's PNGs and the Windows .ico from the SVG sources after
# an edit (needs rsvg-convert, ImageMagick and python3). The results are committed, so
# builds never run this.
set -euo pipefail
cd "$(dirname "$0")"
rsvg-convert -w 16 -h 16 tarrengard-small.svg -o tarrengard-16.png
for size in 24 32 48; do
  rsvg-convert -w $size -h $size tarrengard.svg -o tarrengard-$size.png
done
./make_ico.py tarrengard.ico tarrengard-16.png tarrengard-24.png tarrengard-32.png tarrengard-48.png
