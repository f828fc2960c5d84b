#!/usr/bin/env bash
# Every test: installs what is missing, builds the native, sanitizer, 32- and 64-bit Windows
# presets and the 32-bit download, then runs the unit tests, the executable and package checks,
# the end-to-end tests of both Windows builds (the 32-bit one under emulated 32-bit Wine), the
# unit tests again under AddressSanitizer and UndefinedBehaviorSanitizer, and each fuzz target for
# a short fixed time.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh build windows wine wine32 monitors fuzz

for preset in native win32 win64 native-asan fuzz; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$(nproc)"
done
# The download, which the package tests check.
cmake --build --preset win32 --target package

ctest --preset native-asan -j "$(nproc)"
ctest --preset native -j "$(nproc)"
ctest --preset fuzz -j "$(nproc)"
