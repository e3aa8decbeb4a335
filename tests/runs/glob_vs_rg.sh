#!/usr/bin/env bash
# The file choice of --glob and --max-depth against ripgrep itself: on random trees (nested
# folders, hidden files, odd names), with random option lists, the files
# `rg --files -uuu -0` lists from the tree's root and the files glob_driver takes must be the
# same, and a malformed glob must be an error for both.
#   glob_vs_rg.sh GLOB_DRIVER [CASES=300] [SEED=1]
set -euo pipefail
driver=$(realpath "$1")
cases=${2:-300}
seed=${3:-1}
per_tree=25

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

agreed=0
disagreed=0
errors=0
filtering=0  # cases where the options took some files of the tree and left others
for ((case_number = 0; case_number < cases; case_number++)); do
  tree=$work/tree$((case_number / per_tree))
  if [ ! -d "$tree" ]; then
    "$driver" tree $((seed * 100000 + case_number / per_tree)) "$tree"
    all_files=$(cd "$tree" && "${RG:-rg}" --files -uuu -0 | tr -cd '\0' | wc -c)
  fi
  mapfile -d '' args < <("$driver" args $((seed * 1000000 + case_number)))

  rg_status=0
  (cd "$tree" && "${RG:-rg}" --files -uuu -0 "${args[@]}") >"$work/rg" 2>"$work/rg.err" || rg_status=$?
  our_status=0
  (cd "$tree" && "$driver" files "${args[@]}") >"$work/ours" 2>"$work/ours.err" || our_status=$?

  if [ "$rg_status" -eq 2 ] || [ "$our_status" -eq 2 ]; then
    same=$([ "$rg_status" -eq 2 ] && [ "$our_status" -eq 2 ] && echo yes || echo no)
    [ "$same" = yes ] && errors=$((errors + 1))
  else
    same=$(cmp -s <(sort -z "$work/rg") <(sort -z "$work/ours") && echo yes || echo no)
  fi
  if [ "$same" = yes ]; then
    agreed=$((agreed + 1))
    taken=$(tr -cd '\0' <"$work/rg" | wc -c)
    [ "$rg_status" -ne 2 ] && [ "$taken" -gt 0 ] && [ "$taken" -lt "$all_files" ] && filtering=$((filtering + 1))
    continue
  fi
  disagreed=$((disagreed + 1))
  if [ "$disagreed" -le 10 ]; then
    echo "--- case $case_number disagrees: $(printf '%q ' "${args[@]}")" >&2
    echo "    rg status $rg_status: $(head -c 300 "$work/rg.err")" >&2
    echo "    ours status $our_status: $(head -c 300 "$work/ours.err")" >&2
    diff <(sort -z "$work/rg" | tr '\0\n' '\n|') <(sort -z "$work/ours" | tr '\0\n' '\n|') | head -20 >&2 || true
  fi
done
echo "glob_vs_rg: $agreed of $cases cases agreed ($filtering took some files and left others," \
  "$errors were malformed globs), $disagreed disagreed" >&2
[ "$disagreed" -eq 0 ]
