#!/usr/bin/env bash
# Builds the fuzz preset and runs every fuzz target for a bounded time from its seed corpus.
#   FUZZ_SECONDS=60 (default) seconds per target; fuzz/run.sh [target ...]
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

status=0
for target in "${targets[@]}"; do
  seeds=fuzz/corpus/${target%_fuzz}
  scratch=build/fuzz-corpus/${target%_fuzz}
  mkdir -p "$scratch"
  log=build/fuzz-corpus/$target.log
  echo "=== $target: ${seconds}s" >&2
  if ! "build/fuzz/fuzz/$target" -max_total_time="$seconds" -max_len=20000 -timeout=20 -rss_limit_mb=2048 \
      -print_final_stats=1 "$scratch" "$seeds" >"$log" 2>&1; then
    status=1
    tail -n 40 "$log" >&2
  fi
  # One summary line: executions, speed, coverage.
  runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || echo '?')
  speed=$(grep -o 'stat::average_exec_per_sec: *[0-9]*' "$log" | grep -o '[0-9]*$' || echo '?')
  cov=$(grep -o 'cov: [0-9]* ft: [0-9]*' "$log" | tail -n 1 || echo 'cov: ?')
  printf '%-18s %10s runs  %8s exec/s  %s\n' "$target" "$runs" "$speed" "$cov" >&2
done
exit $status
