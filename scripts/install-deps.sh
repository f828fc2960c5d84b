#!/usr/bin/env bash
# Installs the Debian packages a group of tasks needs, only those that are missing.
# Groups: build (native build, tests, tools), windows (cross compilers, executable checks),
# wine (running frellis.scr under Wine on a private X display), fuzz (clang with libFuzzer).
set -euo pipefail

declare -A packages=(
  [build]="cmake ninja-build g++ googletest libgtest-dev libbenchmark-dev libgif-dev libpng-dev pkg-config"
  [windows]="g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-i686 binutils-mingw-w64-x86-64 python3-pefile"
  [wine]="wine wine64 xvfb openbox xdotool imagemagick fonts-ipafont-gothic x11-utils"
  [fuzz]="clang-14 libclang-rt-14-dev"
)

wanted=()
for group in "${@:-build}"; do
  [[ -n "${packages[$group]:-}" ]] || { echo "install-deps: unknown group '$group'" >&2; exit 2; }
  for package in ${packages[$group]}; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
      wanted+=("$package")
  done
done
[[ ${#wanted[@]} -eq 0 ]] && exit 0

sudo=""
[[ $(id -u) -eq 0 ]] || sudo="sudo"
echo "install-deps: installing ${wanted[*]}" >&2
$sudo apt-get -o DPkg::Lock::Timeout=600 update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get -o DPkg::Lock::Timeout=600 install -y -qq "${wanted[@]}" >/dev/null
