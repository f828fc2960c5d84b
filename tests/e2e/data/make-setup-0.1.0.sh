#!/bin/sh
# Makes frellis-0.1.0-setup.exe, the first release's setup, which the upgrade scenario installs
# before the current one: the 32-bit saver for every Windows, put into the native system32. Built
# from the commit it was released from, in a folder of its own, with the package command of its
# README; kept here so that no test run builds it again.
set -eu
commit=1091c6b
data=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
git -C "$data/../../.." archive "$commit" | tar -x -C "$work"
(cd "$work" && cmake --preset win32 >/dev/null && cmake --build --preset win32 -j2 --target package)
cp "$work/build/win32/frellis-0.1.0-setup.exe" "$data/"
