#!/usr/bin/env bash
# Draws the program's icons and toolbar strips with ImageMagick. The results are committed in
# resources/pictures, so a build never needs ImageMagick; run this only to change a picture.
set -euo pipefail
cd "$(dirname "$0")/../resources/pictures"
font=/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf

page() {  # size letter colour out
  local s=$1 letter=$2 colour=$3 out=$4 m=$(( $1 / 8 ))
  convert -size ${s}x${s} xc:none -fill white -stroke '#404040' \
    -draw "rectangle $m,0 $((s - m - 1)),$((s - 1))" \
    -fill "$colour" -stroke none -font "$font" -pointsize $(( s * 3 / 4 )) -gravity center \
    -annotate +0+1 "$letter" "$out"
}
page 32 'Я' '#1050c0' i32.png; page 16 'Я' '#1050c0' i16.png
convert i32.png i16.png vemko.ico
convert i16.png small.ico
page 32 '<>' '#c02020' h32.png; page 16 '<>' '#c02020' h16.png
convert h16.png h32.png html.ico

# The strips are 16-colour bitmaps drawn in the standard 16 colours without smoothing: the system
# maps the 3-D greys of a bitmap (the 192 grey background among them) to the current button-face
# colours only in bitmaps of 8 bits or less, and only for those exact colour table entries.
vga_palette() {  # out
  convert -size 1x1 xc:'#000000' xc:'#800000' xc:'#008000' xc:'#808000' xc:'#000080' xc:'#800080' \
    xc:'#008080' xc:'#c0c0c0' xc:'#808080' xc:'#ff0000' xc:'#00ff00' xc:'#ffff00' xc:'#0000ff' \
    xc:'#ff00ff' xc:'#00ffff' xc:'#ffffff' +append "$1"
}

strip() {  # size out
  local s=$1 out=$2 pt=$(( $1 * 5 / 8 )) frames=()
  for letter in A O K; do
    convert -size ${s}x${s} xc:'#c0c0c0' +antialias -fill '#000080' -font "$font" -pointsize $pt -gravity center \
      -annotate +0+0 "$letter" -fill '#008000' -draw "polygon 0,$((s/2-2)) 3,$((s/2)) 0,$((s/2+2))" f_$letter.png
    frames+=(f_$letter.png)
  done
  local n=0
  for mode in justify centre left right; do
    local cmd="" y
    for y in $(seq 2 $(( s / 5 )) $(( s - 3 ))); do
      local w=$(( s - 4 - (y % 3) * s / 6 )) x0=2
      case $mode in
        justify) w=$(( s - 4 ));;
        centre) x0=$(( (s - w) / 2 ));;
        right) x0=$(( s - 2 - w ));;
      esac
      cmd+="line $x0,$y $((x0 + w - 1)),$y "
    done
    convert -size ${s}x${s} xc:'#c0c0c0' +antialias -stroke black -strokewidth 1 -draw "$cmd" f_al$n.png
    frames+=(f_al$n.png); n=$((n + 1))
  done
  convert -size ${s}x${s} xc:'#c0c0c0' +antialias -fill '#800000' -font "$font" -pointsize $pt -gravity center \
    -annotate +0+0 'T' -fill '#008000' -draw "polygon $((s-4)),$((s-6)) $((s-1)),$((s-3)) $((s-4)),$((s-1))" f_tr.png
  frames+=(f_tr.png)
  vga_palette f_palette.png
  convert "${frames[@]}" +append -alpha off +dither -remap f_palette.png -type Palette BMP3:"$out"
  rm -f f_*.png
}
strip 16 strip16.bmp
strip 24 strip24.bmp
rm -f i32.png i16.png h32.png h16.png
