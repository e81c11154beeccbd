#!/usr/bin/env bash
# Draws the shipped card pictures with ImageMagick: backgrounds, the emblem, the kind ribbons and the
# portrait shown for a client without a photograph. 8-bit palette bitmaps keep the files small.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
out="$root/runfiles/Reklama"
photo="$root/runfiles/Photo"
mkdir -p "$out" "$photo"
font=DejaVu-Sans-Bold

# Front: pale blue fading to white, a soft wave along the bottom.
convert -size 256x162 gradient:'#dce9f5'-'#ffffff' -rotate 90 -resize 256x162! \
  -fill '#c3d7ea' -draw "path 'M 0,140 C 70,120 150,165 256,135 L 256,162 L 0,162 Z'" \
  -fill '#a9c4de' -draw "path 'M 0,152 C 90,138 170,170 256,150 L 256,162 L 0,162 Z'" \
  -type Palette -colors 128 -compress None "BMP3:$out/fon_1.bmp"
# Back: plain and light, so the visit rows stay readable.
convert -size 256x162 gradient:'#f4f8fc'-'#ffffff' \
  -fill '#e3edf6' -draw "rectangle 0,0 256,6" -type Palette -colors 64 -compress None "BMP3:$out/fon_2.bmp"
# Emblem: a wheel with the letter of the complex.
convert -size 96x96 xc:white -fill '#123c69' -draw "circle 48,48 48,2" \
  -fill none -stroke white -strokewidth 4 -draw "circle 48,48 48,12" \
  -stroke none -fill white -font "$font" -pointsize 44 -gravity center -annotate +0+2 'В' \
  -type Palette -colors 64 -compress None "BMP3:$out/r1.bmp"
# Ribbons under the card's kind: blue for a subscription, wine red for a club card.
convert -size 24x268 gradient:'#123c69'-'#2f7fb8' -rotate -90 -type Palette -colors 64 -compress None "BMP3:$out/r2_1.bmp"
convert -size 24x268 gradient:'#7a1430'-'#c8553d' -rotate -90 -type Palette -colors 64 -compress None "BMP3:$out/r2_2.bmp"
# Portrait placeholder: a grey silhouette.
convert -size 90x120 xc:'#eef1f4' -fill '#b8c2cc' -draw "circle 45,44 45,22" \
  -draw "ellipse 45,120 36,40 180,360" -type Palette -colors 32 -compress None "BMP3:$photo/noname.bmp"
