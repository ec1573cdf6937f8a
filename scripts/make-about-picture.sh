#!/usr/bin/env bash
# Draws the about window's picture (shell/images/about.jpg) with ImageMagick:
# a blue-green gradient on a grid, a curve and four mathematical signs.
# Only needed to change the picture; the build uses the file as it is.
set -euo pipefail
out=${1:-shell/images/about.jpg}
font=/usr/share/fonts/truetype/dejavu
convert -size 140x236 gradient:'#14315f'-'#1f8a7a' \
  \( -size 140x236 xc:none -stroke 'rgba(255,255,255,0.18)' -strokewidth 1 \
     -draw "line 0,40 140,40" -draw "line 0,80 140,80" -draw "line 0,120 140,120" \
     -draw "line 0,160 140,160" -draw "line 0,200 140,200" \
     -draw "line 35,0 35,236" -draw "line 70,0 70,236" -draw "line 105,0 105,236" \) -composite \
  -fill none -stroke '#ffd24a' -strokewidth 3 -draw "path 'M 4,150 C 30,60 50,60 70,118 S 110,190 136,70'" \
  -stroke none -fill 'rgba(255,255,255,0.92)' \
  -font "$font/DejaVuSerif-BoldItalic.ttf" -pointsize 58 -annotate +14+66 'Σ' \
  -font "$font/DejaVuSerif-Italic.ttf" -pointsize 44 -annotate +84+64 'π' \
  -font "$font/DejaVuSans-Bold.ttf" -pointsize 30 -annotate +12+222 '√x' \
  -font "$font/DejaVuSerif-Italic.ttf" -pointsize 40 -annotate +88+224 '∫' \
  -quality 88 -strip "$out"
