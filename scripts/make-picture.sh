#!/usr/bin/env bash
# Makes docs/frellis.gif, the picture at the top of the README: three seconds of the saver at
# 400x300, drawn by frellis-render from a fixed seed with the default settings but speed 2. At that
# speed a tick takes 50 ms, which browsers play as it is; they slow down frames shorter than
# 20 ms. ImageMagick then keeps of each frame only the pixels that changed visibly, which halves
# the file. Installs what it needs with apt-get when missing.
source "$(dirname "$0")/render-tool.sh"

render --seed 8 --size 400x300 --speed 2 --ticks 60 --gif "$work/every-tick.gif"
# Every tick steps each trail's hue and fade a little: a pixel that changed by less than 10 % keeps
# its colour from the frame before, which nobody sees and LZW compresses to nearly nothing.
convert "$work/every-tick.gif" -coalesce -fuzz 10% -layers OptimizeTransparency docs/frellis.gif
echo "docs/frellis.gif: $(stat -c %s docs/frellis.gif) bytes"
