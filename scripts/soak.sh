#!/usr/bin/env bash
# A long full-screen run of the real saver under Wine at the largest settings and speed 20:
#   scripts/soak.sh [minutes] [--interval seconds] [--win32 | --build win64|win32 ...]
# (default 30 minutes, a sample every 30 s, each build in turn: the 64-bit one, then the 32-bit
# product under emulated 32-bit Wine). Samples the saver's memory,
# descriptors, threads and CPU (and its GDI objects where the platform reports them), checks that
# the screen still changes between two screenshots, ends the run with a key and prints a table;
# the last screenshot is kept in out/soak/. Exits 1 when the saver stopped animating, its memory
# or descriptors grew, or it did not end on the key with status 0.
set -euo pipefail
cd "$(dirname "$0")/.."

builds=()
args=()
while [[ $# -gt 0 ]]; do
  case $1 in
    --build) builds+=("$2"); shift 2 ;;
    --win32) builds+=(win32); shift ;;
    *) args+=("$1"); shift ;;
  esac
done
[[ ${#builds[@]} -gt 0 ]] || builds=(win64 win32)
groups=(build windows wine)
[[ " ${builds[*]} " == *" win32 "* ]] && groups+=(wine32)
scripts/install-deps.sh "${groups[@]}"
status=0
for build in "${builds[@]}"; do
  cmake --preset "$build" >/dev/null
  cmake --build --preset "$build" -j 2 >/dev/null
  python3 scripts/soak.py "${args[@]}" --build "$build" || status=1
done
exit $status
