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

# compare LABEL OURS_CMD PEER_NAME PEER_CMD: medians of both, measured in turn, and their ratio.
compare() {
  local label=$1 ours=$2 name=$3 peer=$4 csv=$work/h.csv
  echo "== $label" >&2
  hyperfine -N --style none -i --warmup 1 --runs "$runs" --export-csv "$csv" "$ours" "$peer" >/dev/null 2>&1
  mapfile -t m < <(tail -n +2 "$csv" | awk -F, '{print $4}')
  row "$label" "$(printf '%.3f s' "${m[0]}")" "$name $(printf '%.3f s' "${m[1]}")" \
      "$(awk -v a="${m[0]}" -v b="${m[1]}" 'BEGIN{printf "%.2fx", a/b}')"
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
  echo "Medians of $runs runs, hot page cache, whole processes; ratio = Vantrel's time / the peer's."
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

cat "$table"
