#!/usr/bin/env bash
# Draws the program's icon, packaging/zorvat-icon.png (256 x 256), with ImageMagick: an open folder with the
# program's letter on its front. The PNG is the source the build makes every size from (the .ico of the
# executable, the PNGs of the Linux desktop entry); run this after changing the drawing and commit both.
# Shapes are bold and a few pixels apart, so the 16-pixel icon still reads as a folder with a Z.
set -eu
out=${1:-$(dirname "$0")/zorvat-icon.png}
convert -size 256x256 xc:none \
  -fill '#B86E00' -draw 'roundrectangle 14,34 110,80 14,14' \
  -fill '#D98A0B' -draw 'roundrectangle 14,52 242,222 16,16' \
  -fill '#FFF4DC' -draw 'roundrectangle 30,68 226,150 6,6' \
  -fill '#F5B53D' -draw 'roundrectangle 14,92 242,230 16,16' \
  -fill '#FFC85A' -draw 'roundrectangle 22,100 234,120 8,8' \
  -fill '#1F4E96' -draw 'polygon 78,128 178,128 178,152 118,198 178,198 178,222 78,222 78,198 138,152 78,152' \
  -depth 8 -strip "PNG32:$out"
