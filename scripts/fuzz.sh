#!/usr/bin/env bash
# Runs every fuzz target for longer than the tests do: scripts/fuzz.sh [seconds per target]
# [target...] (default 600 s, all targets), two at a time. Each target's corpus grows in
# out/fuzz/corpus/<target> and is kept for the next run; a crashing or property-breaking input is
# kept as out/fuzz/crashes/<target>-crash-<hash>, and its log as out/fuzz/<target>.log. Prints a
# table of executions and coverage per target; exits 1 when any target found something.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-600}
shift || true
targets=("$@")
[[ ${#targets[@]} -gt 0 ]] || targets=(command_line settings_path number_text settings_file saver_main changed_area)

scripts/install-deps.sh build fuzz
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j 2

out=out/fuzz
mkdir -p "$out/crashes"

run_target() {
  local name=$1
  mkdir -p "$out/corpus/$name"
  # -jobs would split the time across processes; one process per target keeps figures comparable.
  build/fuzz/fuzz/${name}_fuzz -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
    -artifact_prefix="$out/crashes/$name-" "$out/corpus/$name" "fuzz/corpus/$name" \
    >"$out/$name.log" 2>&1
}

failed=()
running=()
for name in "${targets[@]}"; do
  echo "fuzz: $name for ${seconds}s" >&2
  run_target "$name" &
  running+=("$!:$name")
  if [[ ${#running[@]} -ge 2 ]]; then
    entry=${running[0]}
    running=("${running[@]:1}")
    wait "${entry%%:*}" || failed+=("${entry#*:}")
  fi
done
for entry in "${running[@]}"; do
  wait "${entry%%:*}" || failed+=("${entry#*:}")
done

printf '%-14s %12s %10s %8s %8s %8s\n' target executions exec/s cov ft corpus
for name in "${targets[@]}"; do
  log="$out/$name.log"
  stat() { sed -n "s/^stat::$1: *//p" "$log" | tail -1; }
  last=$(grep -E '^#[0-9]+.*cov: ' "$log" | tail -1)
  cov=$(sed -n 's/.*cov: \([0-9]*\).*/\1/p' <<<"$last")
  ft=$(sed -n 's/.* ft: \([0-9]*\).*/\1/p' <<<"$last")
  printf '%-14s %12s %10s %8s %8s %8s\n' "$name" "$(stat number_of_executed_units)" \
    "$(stat average_exec_per_sec)" "${cov:-?}" "${ft:-?}" "$(ls "$out/corpus/$name" | wc -l)"
done
if [[ ${#failed[@]} -gt 0 ]]; then
  echo "fuzz: found something in: ${failed[*]} (inputs in $out/crashes, logs in $out)" >&2
  exit 1
fi
