#!/usr/bin/env bash
# Redraws the PNG icons from the SVG, for desktops and panels that take
# fixed sizes from the hicolor theme (Debian package librsvg2-bin).
set -euo pipefail
cd "$(dirname "$0")"
for size in 16 24 32 48 64 128 256; do
    mkdir -p "$size"
    rsvg-convert -w "$size" -h "$size" org.kestrova.FormDesigner.svg -o "$size/org.kestrova.FormDesigner.png"
done
