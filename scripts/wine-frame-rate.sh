#!/usr/bin/env bash
# The frame rate under Wine (a benchmark, not a test): builds the 64-bit saver, then at 1920x1080
# and 3840x2160 measures the ticks per second and the CPU per tick of the real saver and of the X
# server, at the default and the largest settings, copying only what each tick changed and
# copying the whole surface, beside a window with only a 10 ms timer, then what a hand-over, a copied
# row and a copied pixel cost at 3840x2160. Prints Markdown tables in
# about two minutes after the build; see docs/performance.md for the method.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh build windows wine
cmake --preset win64 >/dev/null
cmake --build --preset win64 -j 2 >/dev/null
export FRELLIS_WIN64_DIR=${FRELLIS_WIN64_DIR:-$PWD/build/win64}
exec /usr/bin/python3 scripts/wine_frame_rate.py
