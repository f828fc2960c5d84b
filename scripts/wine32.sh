#!/usr/bin/env bash
# Runs the 32-bit Wine loader with the given arguments, or the loader FRELLIS_WINE_LOADER names:
# /usr/lib/wine/wine64 runs a 32-bit program (the setup) WoW64-style in a 64-bit prefix, and its
# 32-bit half needs the same emulation. This machine runs no 32-bit code, so inside a private
# user and mount namespace a binfmt_misc instance of its own hands every i386 program (the
# loader, and each Windows program it starts) to qemu-i386. Never machine-wide: that would send
# the 32-bit steps of every 64-bit Wine prefix on the machine through qemu too.
# Mounting and registering needs root in the namespace; Wine itself then runs in a nested one
# as the caller's own user again (its server socket is per user id), and the nested namespace
# finds the registration in its parent's binfmt_misc.
set -euo pipefail

qemu=/usr/bin/qemu-i386
wine=${FRELLIS_WINE_LOADER:-/usr/lib/wine/wine}
binfmt=/proc/sys/fs/binfmt_misc

if [[ -z "${FRELLIS_WINE32_IDS:-}" ]]; then
  for program in "$qemu" "$wine"; do
    [[ -x $program ]] || { echo "wine32.sh: $program missing (scripts/install-deps.sh wine32)" >&2; exit 127; }
  done
  FRELLIS_WINE32_IDS="$(id -u):$(id -g)" exec unshare --map-root-user --mount \
    --propagation private "$0" "$@"
fi
ids=$FRELLIS_WINE32_IDS
unset FRELLIS_WINE32_IDS

mount -t binfmt_misc binfmt_misc "$binfmt"
# qemu's own i386 ELF magic and mask; F opens the emulator now, so it is found from any folder.
magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
printf ':qemu-i386:M::%s:%s:%s:F' "$magic" "$mask" "$qemu" >"$binfmt/register"
exec unshare --map-user="${ids%:*}" --map-group="${ids#*:}" "$wine" "$@"
