#!/usr/bin/env bash
# Builds the fuzz preset and runs every fuzz target for a bounded time from its seed corpus.
#   FUZZ_SECONDS=60 (default) seconds per target; fuzz/run.sh [target ...]
#   FUZZ_INPUT_SECONDS=20 (default): how long one input may run before it counts as a hang
# New inputs go to a scratch corpus under build/fuzz-corpus, never into the seeds.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${FUZZ_SECONDS:-60}

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for exe in build/fuzz/fuzz/*_fuzz; do targets+=("$(basename "$exe")"); done
fi

# One input may take this long before libFuzzer calls it a hang: the slowest real inputs of
# every target take milliseconds, so only a stall of the machine (swapping, a loaded host)
# or a real hang reaches it.
per_input=${FUZZ_INPUT_SECONDS:-20}

# Whether a hang that libFuzzer reported was the input's own: the saved input is run again
# alone, and only when it is slow again does the hang count. A machine that stalled once
# does not fail the run; an input that hangs always does.
hang_is_real() {
  local target=$1 log=$2 input
  input=$(sed -n 's/^artifact_prefix=.*; Test unit written to \(.*\)$/\1/p' "$log" | tail -n 1)
  grep -q 'ERROR: libFuzzer: timeout' "$log" && [ -f "$input" ] || return 0
  local start end
  start=$(date +%s%N)
  timeout $((per_input * 2)) "build/fuzz/fuzz/$target" -timeout="$per_input" "$input" >>"$log.again" 2>&1 || return 0
  end=$(date +%s%N)
  local ms=$(((end - start) / 1000000))
  if [ "$ms" -ge $((per_input * 1000 / 4)) ]; then return 0; fi
  echo "=== $target: a hang of over ${per_input}s on an input that runs in ${ms} ms alone: the machine stalled, not counted" >&2
  return 1
}

# Runs one target for its time; after a stall of the machine, on for the time that is left.
fuzz_target() {
  local target=$1 seeds=fuzz/corpus/${1%_fuzz} scratch=build/fuzz-corpus/${1%_fuzz}
  local log=build/fuzz-corpus/$target.log
  local deadline=$(($(date +%s) + seconds)) left=$seconds
  mkdir -p "$scratch"
  rm -f "$log.again"
  : >"$log"
  while [ "$left" -gt 0 ]; do
    if "build/fuzz/fuzz/$target" -max_total_time="$left" -max_len=20000 -timeout="$per_input" -rss_limit_mb=2048 \
        -artifact_prefix="build/fuzz-corpus/$target-" -print_final_stats=1 "$scratch" "$seeds" >"$log.part" 2>&1; then
      cat "$log.part" >>"$log"
      break
    fi
    cat "$log.part" >>"$log"
    if hang_is_real "$target" "$log.part"; then
      tail -n 40 "$log.part" >&2
      return 1
    fi
    left=$((deadline - $(date +%s)))
  done
  rm -f "$log.part"
}

status=0
for target in "${targets[@]}"; do
  echo "=== $target: ${seconds}s" >&2
  fuzz_target "$target" || status=1
  # One summary line: executions, speed, coverage (of the last stretch after a stall).
  log=build/fuzz-corpus/$target.log
  runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | tail -n 1 | grep -o '[0-9]*$' || echo '?')
  speed=$(grep -o 'stat::average_exec_per_sec: *[0-9]*' "$log" | tail -n 1 | grep -o '[0-9]*$' || echo '?')
  cov=$(grep -o 'cov: [0-9]* ft: [0-9]*' "$log" | tail -n 1 || echo 'cov: ?')
  printf '%-18s %10s runs  %8s exec/s  %s\n' "$target" "$runs" "$speed" "$cov" >&2
done
exit $status
