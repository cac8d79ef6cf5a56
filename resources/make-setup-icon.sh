#!/bin/sh
# Draws Setup's icon (setup.ico, 48, 32 and 16 pixels): a box on a blue tile
# with a white arrow going into it. Run by hand when the drawing changes; the
# result is kept in the tree so the build needs no image tools.
set -eu
cd "$(dirname "$0")"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
convert -size 256x256 xc:none \
    -fill '#0b2a8c' -draw 'roundrectangle 8,8 247,247 40,40' \
    -fill '#1f5fd6' -draw 'roundrectangle 20,20 235,150 30,30' \
    -fill '#d9a441' -stroke '#6b4a12' -strokewidth 8 -draw 'polygon 48,140 208,140 224,230 32,230' \
    -fill '#f2c46a' -stroke '#6b4a12' -strokewidth 8 -draw 'polygon 48,140 128,112 208,140 128,168' \
    -stroke none -fill white -draw 'polygon 100,24 156,24 156,96 190,96 128,156 66,96 100,96' \
    "$tmp/big.png"
for size in 48 32 16; do
    convert "$tmp/big.png" -resize ${size}x${size} "$tmp/icon$size.png"
done
convert "$tmp/icon48.png" "$tmp/icon32.png" "$tmp/icon16.png" setup.ico
