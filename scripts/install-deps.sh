#!/usr/bin/env bash
# Installs the Debian packages a group of tasks needs, only those that are missing.
# Groups: build (native build, tests, tools), windows (cross compilers, executable checks,
# makensis for the setup), wine (running frellis.scr under Wine on a private X display), wine32
# (running the 32-bit frellis.scr under 32-bit Wine, emulated by qemu-i386: this machine runs no
# 32-bit code), monitors (several monitors for the e2e tests: Xorg with its dummy driver, and
# xrandr), fuzz (clang with libFuzzer), picture (scripts/make-picture.sh).
set -euo pipefail

declare -A packages=(
  [build]="cmake ninja-build g++ googletest libgtest-dev libbenchmark-dev libgif-dev libpng-dev pkg-config"
  [windows]="g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-i686 binutils-mingw-w64-x86-64 python3-pefile nsis strip-nondeterminism locales"
  [wine]="wine wine64 xvfb openbox xdotool imagemagick fonts-ipafont-gothic x11-utils"
  [wine32]="wine32:i386 qemu-user"
  [monitors]="xserver-xorg-core xserver-xorg-video-dummy x11-xserver-utils"
  [fuzz]="clang-14 libclang-rt-14-dev"
  [picture]="imagemagick"
)

# bookworm's own qemu 7.2 ignores MAP_FIXED_NOREPLACE (each Wine process then takes a minute to
# start) and gives Wine's fault handler no trap number; the backports suite has 10.x, whose
# qemu-user holds static emulators. Without its recommended qemu-user-binfmt: the emulator is
# registered only inside the namespace of each 32-bit run (scripts/wine32.sh), never machine-wide.
backports=/etc/apt/sources.list.d/bookworm-backports.sources
qemu_wanted=10

sudo=""
[[ $(id -u) -eq 0 ]] || sudo="sudo"
apt_get() {
  DEBIAN_FRONTEND=noninteractive $sudo apt-get -o DPkg::Lock::Timeout=600 "$@"
}
installed() {
  dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'
}
qemu_recent() {
  local version
  installed qemu-user || return 1
  version=$(dpkg-query -W -f='${Version}' qemu-user)
  version=${version#*:}
  [[ ${version%%.*} -ge $qemu_wanted ]]
}

wanted=()
wine32=false
for group in "${@:-build}"; do
  [[ -n "${packages[$group]:-}" ]] || { echo "install-deps: unknown group '$group'" >&2; exit 2; }
  [[ $group == wine32 ]] && wine32=true
  for package in ${packages[$group]}; do
    if [[ $package == qemu-user ]]; then
      qemu_recent || wanted+=("$package")
    else
      installed "$package" || wanted+=("$package")
    fi
  done
done
[[ ${#wanted[@]} -eq 0 ]] && exit 0

echo "install-deps: installing ${wanted[*]}" >&2
from_backports=()
if $wine32; then
  dpkg --print-foreign-architectures | grep -qx i386 || $sudo dpkg --add-architecture i386
  if [[ ! -e $backports ]]; then
    # The same archive and keyring as the main suite.
    printf '%s\n' "Types: deb" "URIs: http://deb.debian.org/debian" \
      "Suites: bookworm-backports" "Components: main" \
      "Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg" | $sudo tee "$backports" >/dev/null
  fi
  for i in "${!wanted[@]}"; do
    if [[ ${wanted[$i]} == qemu-user ]]; then
      from_backports=(qemu-user)
      unset "wanted[$i]"
    fi
  done
fi
apt_get update -qq
# Everything else keeps the main suite's versions (wine32 must match wine64 exactly).
[[ ${#wanted[@]} -eq 0 ]] || apt_get install -y -qq "${wanted[@]}" >/dev/null
[[ ${#from_backports[@]} -eq 0 ]] ||
  apt_get install -y -qq --no-install-recommends -t bookworm-backports "${from_backports[@]}" >/dev/null
