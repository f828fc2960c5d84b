#!/usr/bin/env bash
# Makes docs/frellis.gif, the picture at the top of the README: three seconds of the saver at
# 400x300, drawn by frellis-render from a fixed seed with the default settings but speed 2. At that
# speed a tick takes 50 ms, which browsers play as it is; they slow down frames shorter than
# 20 ms. ImageMagick then keeps of each frame only the pixels that changed visibly, which halves
# the file. Installs what it needs with apt-get when missing.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh build picture
cmake --preset native >/dev/null
cmake --build --preset native --target frellis-render >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
build/native/frellis-render --seed 8 --size 400x300 --speed 2 --ticks 60 \
  --gif "$work/every-tick.gif" 2>"$work/progress" || { cat "$work/progress" >&2; exit 1; }
# Every tick steps each trail's hue and fade a little: a pixel that changed by less than 10 % keeps
# its colour from the frame before, which nobody sees and LZW compresses to nearly nothing.
convert "$work/every-tick.gif" -coalesce -fuzz 10% -layers OptimizeTransparency docs/frellis.gif
echo "docs/frellis.gif: $(stat -c %s docs/frellis.gif) bytes"
