#!/usr/bin/env bash
# The search of patch lists and wildcard patterns against ripgrep, side by side in one run,
# on 1 GiB of generated text: a table of medians and ratios.
#
# Vantrel's side is bench/pattern_set_bench: the engine's PatternSetFinder over the file
# mapped whole, every occurrence in one forward pass, timed as a whole process like rg. The
# command line's --patch is not built on it yet, so these are figures of the engine.
#   bench/pattern_set_compare.sh      RUNS=10 (default) runs per command
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${RUNS:-10}

cmake --preset native >/dev/null
cmake --build --preset native --target pattern_set_bench make_data >/dev/null
B=$PWD/build/native/bench/pattern_set_bench
MAKE=$PWD/build/native/bench/make_data
work=$(mktemp -d /tmp/vantrel-sets.XXXXXX)
trap 'rm -rf "$work"' EXIT
table=$work/table.md
text=$work/text.bin

hex() { printf '%s' "$1" | od -An -tx1 | tr -d '\n' | sed 's/^ //'; }
row() { printf '| %s | %s | %s | %s |\n' "$1" "$2" "$3" "$4" >>"$table"; }

# Seconds one command takes, its output dropped (an absent list makes both sides exit 1).
seconds() {
  local start=$EPOCHREALTIME
  eval "$1" >/dev/null 2>&1 || true
  awk -v a="$start" -v b="$EPOCHREALTIME" 'BEGIN{printf "%.6f\n", b - a}'
}
median() { sort -g | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }

# compare LABEL OURS_CMD PEER_NAME PEER_CMD: the two run in turn, RUNS times each after one
# warm-up, so a machine whose speed drifts (it is shared) slows both alike; the ratio is the
# median of the ratios of each pair.
compare() {
  local label=$1 ours=$2 name=$3 peer=$4 pairs=$work/pairs
  echo "== $label" >&2
  seconds "$ours" >/dev/null
  seconds "$peer" >/dev/null
  : >"$pairs"
  for ((i = 0; i < runs; i++)); do echo "$(seconds "$ours") $(seconds "$peer")" >>"$pairs"; done
  row "$label" "$(awk '{print $1}' "$pairs" | median | xargs printf '%.3f s')" \
      "$name $(awk '{print $2}' "$pairs" | median | xargs printf '%.3f s')" \
      "$(awk '{print $1 / $2}' "$pairs" | median | xargs printf '%.2fx')"
}

# Both sides must find nothing (the lists are absent), or the comparison is not like for like.
expect_none() {
  local out
  if out=$("$@" 2>&1); then echo "unexpected match: $* -> $out" >&2; exit 2; fi
}

echo "== data: 1 GiB of text, absent lists" >&2
"$MAKE" file "$text" text 1024
"$B" absent-words "$text" 100 1 >"$work/words100.txt"
"$B" absent-pieces "$text" 100 2 >"$work/pieces100.txt"
head -n 8 "$work/words100.txt" >"$work/words8.txt"
# One 16-byte absent text, its ninth byte unknown: hex with `??`, and the byte regex rg takes.
line=$(awk 'length($0) >= 16 { print substr($0, 1, 16); exit }' "$work/words100.txt")
[ ${#line} -eq 16 ] || { echo "no absent text of 16 bytes in the list" >&2; exit 2; }
wild="$(hex "${line:0:8}") ?? $(hex "${line:9:7}")"
regex="(?s-u)${line:0:8}.${line:9:7}"
plain=$(hex "$line")

for list in words100 pieces100 words8; do
  expect_none "$B" lines "$work/$list.txt" "$text"
  expect_none rg -c -F --mmap -f "$work/$list.txt" "$text"
done
expect_none "$B" hex "$wild" "$text"
expect_none rg -c --mmap -a "$regex" "$text"
expect_none "$B" hex "E8 ?? ?? ?? ?? 85 C0" "$text"
expect_none "$B" plain "$plain" "$text"

{
  echo "Machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ *//')."
  echo "Medians of $runs runs in turn with the peer, hot page cache, whole processes (wall time);"
  echo "ratio = the median over the pairs of Vantrel's time / the peer's (below 1 is faster)."
  echo "Vantrel = bench/pattern_set_bench: the engine (PatternSetFinder) over the mapped file, not the"
  echo "command line (its --patch option does not exist yet)."
  echo "Lists: $(wc -l <"$work/words100.txt") absent texts of letters and spaces mixed like the data (words),"
  echo "100 pieces of the data with one letter changed (pieces); wildcard text: '$line' with byte 9 unknown."
  echo
  echo "| case | Vantrel engine | peer | ratio |"
  echo "|---|---|---|---|"
} >"$table"

compare "100 absent texts (words), 9-17 bytes" "$B lines $work/words100.txt $text" \
  "rg -c -F --mmap -f" "rg -c -F --mmap -f $work/words100.txt $text"
compare "100 absent texts (pieces), 9-17 bytes" "$B lines $work/pieces100.txt $text" \
  "rg -c -F --mmap -f" "rg -c -F --mmap -f $work/pieces100.txt $text"
compare "8 absent texts (words)" "$B lines $work/words8.txt $text" \
  "rg -c -F --mmap -f" "rg -c -F --mmap -f $work/words8.txt $text"
compare "one pattern, ?? among 15 fixed text bytes" "$B hex '$wild' $text" \
  "rg -c --mmap -a '$regex'" "rg -c --mmap -a '$regex' $text"
compare "one pattern, E8 ?? ?? ?? ?? 85 C0" "$B hex 'E8 ?? ?? ?? ?? 85 C0' $text" \
  "rg -c --mmap -a '(?s-u)\\xE8.{4}\\x85\\xC0'" "rg -c --mmap -a '(?s-u)\\xE8.{4}\\x85\\xC0' $text"
compare "one plain 16-byte text, through the set finder" "$B hex '$plain' $text" \
  "PatternFinder as today" "$B plain '$plain' $text"
compare "one plain 16-byte text, through the set finder" "$B hex '$plain' $text" \
  "rg -c -F --mmap" "rg -c -F --mmap '$line' $text"

echo "== the engine alone, in memory" >&2
"$B" memory "$text" "$runs" "lines:$work/words100.txt" "lines:$work/pieces100.txt" "lines:$work/words8.txt" \
  "hex:$wild" "hex:E8 ?? ?? ?? ?? 85 C0" "hex:$plain" "plain:$plain" >"$work/memory.tsv"
gbps() { awk -F'\t' -v n="$1" 'NR == n {print $3}' "$work/memory.tsv"; }
best() { awk -F'\t' -v n="$1" 'NR == n {print $4}' "$work/memory.tsv"; }
{
  echo
  echo "The engine alone: the same file mapped and read once before, every search in turn, $runs rounds;"
  echo "GB/s, median and best round (no page faults, no process start: what the search itself costs)."
  echo
  echo "| case | median GB/s | best GB/s |"
  echo "|---|---|---|"
  echo "| 100 absent texts (words), PatternSetFinder | $(gbps 1) | $(best 1) |"
  echo "| 100 absent texts (pieces), PatternSetFinder | $(gbps 2) | $(best 2) |"
  echo "| 8 absent texts (words), PatternSetFinder | $(gbps 3) | $(best 3) |"
  echo "| one pattern, ?? among 15 fixed text bytes | $(gbps 4) | $(best 4) |"
  echo "| one pattern, E8 ?? ?? ?? ?? 85 C0 | $(gbps 5) | $(best 5) |"
  echo "| one plain 16-byte text, through the set finder | $(gbps 6) | $(best 6) |"
  echo "| one plain 16-byte text, PatternFinder as today | $(gbps 7) | $(best 7) |"
  echo "| set finder / PatternFinder, one plain text | $(awk -v a="$(gbps 6)" -v b="$(gbps 7)" 'BEGIN{printf "%.2f", a/b}') | $(awk -v a="$(best 6)" -v b="$(best 7)" 'BEGIN{printf "%.2f", a/b}') |"
} >>"$table"

cat "$table"
