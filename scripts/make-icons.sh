#!/usr/bin/env bash
# Renders the application icon's SVG into the hicolor PNG sizes committed
# under deploy/icons/hicolor/ (run after changing the SVG; needs rsvg-convert
# from librsvg2-bin), and the skin arrows at double size (ImageMagick).
set -euo pipefail
cd "$(dirname "$0")/.."
id=org.pallido.Pallido
for size in 16 24 32 48 64 128 256; do
  dir=deploy/icons/hicolor/${size}x${size}/apps
  mkdir -p "$dir"
  rsvg-convert -w "$size" -h "$size" deploy/icons/$id.svg -o "$dir/$id.png"
done

# The drop-down and spin arrows of the skin at twice their 9 x 5 size, for
# screens of high density (Qt picks the @2x file by itself).
arrow() { # name colour polygon
  convert -size 18x10 xc:none -fill "$2" -stroke none -draw "polygon $3" "PNG32:app/resources/$1@2x.png"
}
down="0.5,0.5 17.5,0.5 9,9.5" up="9,0.5 17.5,9.5 0.5,9.5"
arrow arrow-down '#35557d' "$down"
arrow arrow-down-off '#a9b5c4' "$down"
arrow arrow-up '#35557d' "$up"
arrow arrow-up-off '#a9b5c4' "$up"
