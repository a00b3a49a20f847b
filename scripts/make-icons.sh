#!/usr/bin/env bash
# Draws the program's icons: a sheet of text with a magnifying glass over its lower right corner.
#   res/vam.ico        16x16, 32x32, 48x48, 256x256 (icon group 101)
#   res/vam-small.ico  16x16                        (icon group 102)
# The build uses the committed .ico files; run this only to redraw them (needs ImageMagick).
# The small sizes are drawn on their own pixel grid rather than shrunk from the large picture,
# so the lines stay sharp at 16x16.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

paper='#fdfdf8' ink='#2b3a55' text='#8a94a6' lens='#cfe6ff' ring='#1f5fbf' handle='#5a3a1a'

# One picture of size $1 in a 256-unit design space, scaled; stroke widths are given per size
# so each one lands on whole pixels.
draw() { # size outline-width text-width ring-width handle-width lines...
  local size="$1" ow="$2" tw="$3" rw="$4" hw="$5"
  local s
  s="$(awk -v n="$size" 'BEGIN { printf "%.6f", n / 256 }')"
  # The sheet with a folded top right corner.
  local sheet="path 'M 40,12 L 168,12 L 216,60 L 216,244 L 40,244 Z'"
  local fold="path 'M 168,12 L 168,60 L 216,60'"
  # Text lines, the last ones shorter where the glass covers them.
  local lines="line 64,72 150,72 line 64,104 192,104 line 64,136 192,136 line 64,168 120,168 line 64,200 104,200"
  convert -size "${size}x${size}" xc:none \
    -draw "scale $s,$s fill '$paper' stroke '$ink' stroke-width $ow $sheet" \
    -draw "scale $s,$s fill '#e4e7ee' stroke '$ink' stroke-width $ow stroke-linejoin round $fold" \
    -draw "scale $s,$s stroke '$text' stroke-width $tw stroke-linecap round $lines" \
    -draw "scale $s,$s stroke '$handle' stroke-width $hw stroke-linecap round line 210,210 244,244" \
    -draw "scale $s,$s fill '$lens' fill-opacity 0.85 stroke '$ring' stroke-width $rw circle 170,170 170,116" \
    -draw "scale $s,$s fill none stroke white stroke-width $((rw / 2 + 1)) stroke-linecap round path 'M 140,158 A 34,34 0 0 1 160,138'" \
    "PNG32:$work/$size.png"
}

# 16 and 32 on their own grid: whole-pixel rectangles and lines, no half-covered edges.
small16() {
  convert -size 16x16 xc:none +antialias \
    -draw "fill '$ink' polygon 2,0 10,0 13,3 13,15 2,15" \
    -draw "fill '$paper' polygon 3,1 9,1 12,4 12,14 3,14" \
    -draw "fill '#e4e7ee' polygon 9,1 9,4 12,4" \
    -draw "fill '$ink' rectangle 9,0 9,4 rectangle 9,4 13,4" \
    -draw "fill '$text' rectangle 4,3 7,3 rectangle 4,5 11,5 rectangle 4,7 8,7 rectangle 4,9 6,9" \
    -antialias \
    -draw "fill '$lens' stroke '$ring' circle 10.5,10.5 10.5,7" \
    -draw "fill none stroke '$handle' stroke-width 2 line 13,13 15,15" \
    "PNG32:$work/16.png"
}

small32() {
  convert -size 32x32 xc:none \
    -draw "fill '$ink' rectangle 4,1 22,31" \
    -draw "fill '$paper' rectangle 5,2 21,30" \
    -draw "fill '$ink' polygon 21,1 28,8 28,31 22,31 22,1" \
    -draw "fill '$paper' polygon 22,3 27,8 27,30 22,30" \
    -draw "fill '#e4e7ee' stroke '$ink' polygon 21,1 21,8 28,8" \
    -draw "fill '$text' rectangle 8,8 18,9 rectangle 8,12 24,13 rectangle 8,16 24,17 rectangle 8,20 14,21 rectangle 8,24 12,25" \
    -draw "stroke '$handle' stroke-width 3 stroke-linecap round line 26,26 30,30" \
    -draw "fill '$lens' stroke '$ring' stroke-width 2 circle 21,21 21,14" \
    -draw "fill none stroke white stroke-width 1 path 'M 17,20 A 4,4 0 0 1 20,17'" \
    "PNG32:$work/32.png"
}

small16
small32
draw 48 10 14 12 22
draw 256 8 12 12 20

# ICO entries: the small ones as plain bitmaps, 256 as PNG (what Windows itself stores).
convert "$work/16.png" "$work/32.png" "$work/48.png" "$work/256.png" "$root/res/vam.ico"
convert "$work/16.png" "$root/res/vam-small.ico"
identify "$root/res/vam.ico" "$root/res/vam-small.ico"
