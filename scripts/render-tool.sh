# Sourced by the scripts that draw the project's pictures with frellis-render: installs what they
# need, builds the tool, and gives them $work, a scratch folder removed on exit, and render, which
# runs the tool and shows its progress output only when it fails.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh build picture
cmake --preset native >/dev/null
cmake --build --preset native --target frellis-render >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
render() {
  build/native/frellis-render "$@" 2>"$work/progress" || { cat "$work/progress" >&2; exit 1; }
}
