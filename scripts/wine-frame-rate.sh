#!/usr/bin/env bash
# The frame rate under Wine (a benchmark, not a test): builds the 64-bit saver's measurement build
# (preset win64-measure, which reads FRELLIS_SEED and FRELLIS_WHOLE_COPY; the shipped saver reads
# neither), then at 1920x1080 and 3840x2160 measures the ticks per second and the CPU per tick of
# the saver and of the X server, at the default and the largest settings, copying only what each
# tick changed and copying the whole surface, beside a window with only a 10 ms timer, then what a
# hand-over, a copied row and a copied pixel cost at 3840x2160. Prints Markdown tables in about
# 200 s after the build; see docs/performance.md for the method.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh build windows wine
cmake --preset win64-measure >/dev/null
cmake --build --preset win64-measure -j 2 --target frellis >/dev/null
export FRELLIS_BUILD_DIR=${FRELLIS_BUILD_DIR:-$PWD/build/win64-measure}
exec /usr/bin/python3 scripts/wine_frame_rate.py
