#!/usr/bin/env bash
# Renders the application icon's SVG into the hicolor PNG sizes committed
# under deploy/icons/hicolor/ (run after changing the SVG; needs rsvg-convert
# from librsvg2-bin).
set -euo pipefail
cd "$(dirname "$0")/.."
id=org.pallido.Pallido
for size in 16 24 32 48 64 128 256; do
  dir=deploy/icons/hicolor/${size}x${size}/apps
  mkdir -p "$dir"
  rsvg-convert -w "$size" -h "$size" deploy/icons/$id.svg -o "$dir/$id.png"
done
