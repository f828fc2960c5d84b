#!/usr/bin/env bash
# Builds the 64-bit frellis.scr and runs it full-screen under Wine on $DISPLAY; it ends, as a
# screen saver does, on a key press, a mouse button or a mouse movement. Without a display it
# runs in a private Xvfb for a few seconds, keeps a screenshot and a short animated GIF under
# out/, closes the saver with a key press and prints where the pictures are. Installs what it
# needs with apt-get when missing.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

scripts/install-deps.sh build windows wine
cmake --preset win64 >/dev/null
cmake --build --preset win64 -j 2 >/dev/null
saver=$root/build/win64/frellis.scr

wine=/usr/lib/wine/wine64
[[ -x $wine ]] || wine=$(command -v wine64)
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"

if [[ -n "${DISPLAY:-}" ]]; then
  echo "frellis.scr full-screen on $DISPLAY: press a key, click or move the mouse to end it"
  status=0
  "$wine" "$saver" /s || status=$?
  echo "frellis.scr exited with status $status"
  exit 0
fi

out=$root/out
mkdir -p "$out"
work=$(mktemp -d)
pids=()
finish() {
  # Everything this script started, by the ids it recorded.
  WINEPREFIX=$work/prefix "$(dirname "$wine")/wineserver" -k 2>/dev/null || true
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap finish EXIT

# A private display: Xvfb picks a free number and writes it to the pipe; openbox lets the
# saver get the keyboard.
exec {fd}<> <(:)
Xvfb -displayfd "$fd" -screen 0 1280x720x24 -br -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)
read -r -t 10 number <&"$fd" || { echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY=:$number
openbox >"$work/openbox.log" 2>&1 &
pids+=($!)

export WINEPREFIX=$work/prefix
echo "preparing a private Wine prefix (about 20 seconds)"
"$wine" wineboot -i >"$work/wineboot.log" 2>&1
"$(dirname "$wine")/wineserver" -w

coloured() { # whether a screenshot shows anything but black
  [[ $(convert "$1" -format '%[fx:maxima]' info:) != 0 ]]
}

run_saver() {
  "$wine" "$saver" /s >"$work/saver.log" 2>&1 &
  saver_pid=$!
  pids+=("$saver_pid")
  sleep 3
  import -window root "$out/frellis.png"
}
run_saver
if ! coloured "$out/frellis.png"; then
  # The first program of a fresh prefix sometimes neither draws nor gets input: start again.
  kill "$saver_pid" 2>/dev/null || true
  wait "$saver_pid" 2>/dev/null || true
  run_saver
fi

frames=$work/frames
mkdir -p "$frames"
for i in $(seq -w 1 30); do
  import -window root -resize 50% "$frames/$i.png"
  sleep 0.05
done
convert -delay 8 -loop 0 "$frames"/*.png -layers Optimize "$out/frellis.gif"

xdotool key space
status=0
wait "$saver_pid" || status=$?
echo "frellis.scr ended on a key press with status $status"
echo "screenshot: $out/frellis.png"
echo "animation:  $out/frellis.gif"
