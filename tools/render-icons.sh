#!/bin/sh
# Renders the PNG sizes of the icon from res/linux/tavro.svg into
# res/linux/icons/. Run it after changing the SVG; the packaging tier checks
# that the PNGs are still its rendering. Needs rsvg-convert (librsvg2-bin).
set -e
cd "$(dirname "$0")/.."
mkdir -p res/linux/icons
for size in 16 24 32 48; do
  rsvg-convert -w "$size" -h "$size" -o "res/linux/icons/tavro-$size.png" res/linux/tavro.svg
done
