#!/bin/sh
# Draws banner.bmp: the game's title in a logo style on black, 241 x 77, 24 bits, with a
# black margin all round so that it merges with the window's background.
# Needs ImageMagick (Debian: imagemagick) and the DejaVu fonts (fonts-dejavu-core).
set -e
cd "$(dirname "$0")"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fonts=/usr/share/fonts/truetype/dejavu
title="-font $fonts/DejaVuSans-BoldOblique.ttf -pointsize 31 -gravity north"

# The title's shape, white on black, and a wider copy of it for the dark rim.
convert -size 241x77 xc:black $title -fill white -annotate +0+6 ZEVRAKON "$work/mask.png"
convert "$work/mask.png" -morphology Dilate Disk:2.5 "$work/rim.png"
# Fire colours from top to bottom, cut to the title's shape.
convert -size 241x50 gradient:'#fff27a-#ff3c00' -gravity north -extent 241x77 \
    "$work/mask.png" -alpha off -compose CopyOpacity -composite "$work/fill.png"
convert -size 241x77 xc:'#4a0800' "$work/rim.png" -alpha off -compose CopyOpacity -composite \
    "$work/rimfill.png"

convert -size 241x77 xc:black \
    "$work/rimfill.png" -compose Over -composite \
    "$work/fill.png" -compose Over -composite \
    -fill '#b02000' -draw 'rectangle 30,46 210,46' \
    -font "$fonts/DejaVuSans-Bold.ttf" -pointsize 14 -kerning 6 -gravity north \
    -fill '#d8dce4' -annotate +0+51 'DUSKMARR 2' \
    -bordercolor black -shave 3x3 -border 3x3 \
    -type TrueColor BMP3:banner.bmp
