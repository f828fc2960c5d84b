#!/usr/bin/env bash
# Builds frellis.scr and runs it full-screen under Wine on $DISPLAY; it ends, as a screen saver
# does, on a key press, a mouse button or a mouse movement. Without a display it runs in a
# private Xvfb for a few seconds, keeps a screenshot and a short animated GIF under out/, closes
# the saver with a key press and prints where the pictures are. Installs what it needs with
# apt-get when missing.
#   --win32   the 32-bit product under 32-bit Wine, emulated by qemu-i386 (slower to start);
#             without it, the 64-bit build under wine64.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

build=win64
case "${1:-}" in
  "") ;;
  --win32) build=win32 ;;
  *) echo "usage: $0 [--win32]" >&2; exit 2 ;;
esac

if [[ $build == win32 ]]; then
  scripts/install-deps.sh build windows wine wine32
  wine=$root/scripts/wine32.sh
  name=frellis-win32
else
  scripts/install-deps.sh build windows wine
  wine=/usr/lib/wine/wine64
  [[ -x $wine ]] || wine=$(command -v wine64)
  name=frellis
fi
cmake --preset $build >/dev/null
cmake --build --preset $build -j 2 >/dev/null
saver=$root/build/$build/frellis.scr
wineserver=/usr/lib/wine/wineserver
[[ -x $wineserver ]] || wineserver=$(command -v wineserver)
export WINEARCH=$build WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"

if [[ -n "${DISPLAY:-}" ]]; then
  # A 64-bit prefix cannot run under the 32-bit loader: the 32-bit product gets one of its own.
  [[ $build == win32 ]] && export WINEPREFIX=${FRELLIS_WINE32_PREFIX:-$HOME/.wine-frellis32}
  echo "frellis.scr ($build) full-screen on $DISPLAY: press a key, click or move the mouse to end it"
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
  WINEPREFIX=$work/prefix "$wineserver" -k 2>/dev/null || true
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
echo "preparing a private $build Wine prefix (20 to 40 seconds)"
"$wine" wineboot -i >"$work/wineboot.log" 2>&1
"$wineserver" -w

coloured() { # whether a screenshot shows anything but black
  [[ $(convert "$1" -format '%[fx:maxima]' info:) != 0 ]]
}

# Under emulation a program takes several seconds to start.
start_tries=20
[[ $build == win32 ]] && start_tries=60
run_saver() { # succeeds once the screen shows the saver's colours
  "$wine" "$saver" /s >"$work/saver.log" 2>&1 &
  saver_pid=$!
  pids+=("$saver_pid")
  for _ in $(seq "$start_tries"); do
    sleep 0.5
    import -window root "$out/$name.png"
    coloured "$out/$name.png" && { sleep 1; import -window root "$out/$name.png"; return 0; }
  done
  return 1
}
if ! run_saver; then
  # The first program of a fresh prefix sometimes neither draws nor gets input: start again.
  kill "$saver_pid" 2>/dev/null || true
  wait "$saver_pid" 2>/dev/null || true
  run_saver || { echo "frellis.scr drew nothing" >&2; exit 1; }
fi

frames=$work/frames
mkdir -p "$frames"
for i in $(seq -w 1 30); do
  import -window root -resize 50% "$frames/$i.png"
  sleep 0.05
done
convert -delay 8 -loop 0 "$frames"/*.png -layers Optimize "$out/$name.gif"

xdotool key space
status=0
wait "$saver_pid" || status=$?
echo "frellis.scr ($build) ended on a key press with status $status"
echo "screenshot: $out/$name.png"
echo "animation:  $out/$name.gif"
