#!/usr/bin/env bash
# Makes resources/frellis.ico, the icon of frellis.scr and of the setup: one still of the two
# figures of the README's picture (seed 3, default settings), drawn by frellis-render at 256x256.
# The 256-pixel image keeps eight copies per trail with lines 3 pixels wide; the small ones keep
# three copies, drawn so thick before they are scaled down that each line stays about a pixel and
# a half wide at 16, 32 and 48 pixels. Each small size comes twice: in 32-bit colour for Windows XP
# and later, and with a 256-colour palette, which Windows 95 to 2000 read; Vista and later read
# the 256-pixel PNG. Installs what it needs with apt-get when missing.
source "$(dirname "$0")/render-tool.sh"

still() {  # trail copies, file
  render --seed 3 --size 256x256 --trail "$1" --ticks 40 --png "$2"
}
still 8 "$work/large.png"
still 3 "$work/small.png"

# Dilating by a disk of radius r makes a line 2r + 1 pixels wide.
convert "$work/large.png" -morphology Dilate Disk:1 "$work/256.png"
for size_radius in 16:8 32:4 48:3; do
  convert "$work/small.png" -morphology Dilate "Disk:${size_radius#*:}" \
    -resize "${size_radius%:*}x${size_radius%:*}" "$work/${size_radius%:*}.png"
done
small=("$work/16.png" "$work/32.png" "$work/48.png")
convert \( "${small[@]}" -alpha off -type TrueColor \) \
  \( "${small[@]}" -alpha off +dither -colors 256 -type Palette \) \
  "$work/256.png" resources/frellis.ico
echo "resources/frellis.ico: $(stat -c %s resources/frellis.ico) bytes"
