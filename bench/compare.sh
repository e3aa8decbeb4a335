#!/usr/bin/env bash
# Compares Vantrel with its peers, side by side in one run, and prints a table of medians and
# ratios. Generates its data under a temporary directory and removes it at the end.
#   bench/compare.sh                 everything (about half an hour on 2 cores)
#   RUNS=5 (default) runs per command; SKIP="kernel tree system yes memory" skips parts
# The page cache is hot: every command runs once before it is measured.
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${RUNS:-5}
skip=" ${SKIP:-} "

bash scripts/install-deps.sh
cmake --preset native >/dev/null
cmake --build --preset native --target vantrel_cli search_bench make_data >/dev/null
V=$PWD/build/native/cli/vantrel
MAKE=$PWD/build/native/bench/make_data
work=$(mktemp -d /tmp/vantrel-compare.XXXXXX)
trap 'rm -rf "$work"' EXIT
table=$work/table.md

hex() { printf '%s' "$1" | od -An -tx1 | tr -d ' \n'; }
row() { printf '| %s | %s | %s | %s |\n' "$1" "$2" "$3" "$4" >>"$table"; }

# Median seconds of each command, in the order given: hyperfine's CSV, column 4.
medians() { tail -n +2 "$1" | awk -F, '{print $4}'; }

# compare LABEL VANTREL_CMD PEER_NAME PEER_CMD [PEER_NAME PEER_CMD ...] [-- hyperfine options]
compare() {
  local label=$1 ours=$2; shift 2
  local names=() cmds=() opts=()
  while [ $# -gt 0 ]; do
    if [ "$1" = -- ]; then shift; opts=("$@"); break; fi
    names+=("$1"); cmds+=("$2"); shift 2
  done
  local csv=$work/h.csv
  hyperfine -N --style none -i --warmup 1 --runs "$runs" "${opts[@]}" --export-csv "$csv" "$ours" "${cmds[@]}" >/dev/null 2>&1 \
    || hyperfine --style none -i --warmup 1 --runs "$runs" "${opts[@]}" --export-csv "$csv" "$ours" "${cmds[@]}" >/dev/null
  mapfile -t m < <(medians "$csv")
  for i in "${!names[@]}"; do
    row "$label" "$(printf '%.3f s' "${m[0]}")" "${names[$i]} $(printf '%.3f s' "${m[$((i + 1))]}")" \
        "$(awk -v a="${m[0]}" -v b="${m[$((i + 1))]}" 'BEGIN{printf "%.2fx", a/b}')"
  done
}

# A pattern of `length` letters and digits that the file does not hold (vantrel's exit
# status 1 says so). Text data gets common letters, so its candidates are many.
absent_pattern() {
  local file=$1 length=$2 base=$3 i p
  for ((i = 0; i < 64; i++)); do
    p=$(printf '%s%s' "$base" "$base" | cut -c$((i % ${#base} + 1))-$((i % ${#base} + length)))
    if ! "$V" --dry-run -f "$(hex "$p")" "$file" >/dev/null 2>&1; then printf '%s' "$p"; return; fi
  done
  echo "no absent pattern found in $file" >&2
  return 1
}

{
  echo "Machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ *//'),"
  echo "SIMD: $(grep -m1 -o -w -E 'avx512bw|avx2' /proc/cpuinfo | sort -u | tr '\n' ' ')"
  echo "Medians of $runs runs, hot page cache. Ratio = Vantrel's time / the peer's (below 1 is faster),"
  echo "except in the kernel rows, where it is throughput as a share of memchr's or a multiple of memmem's."
  echo
  echo "| case | Vantrel | peer | ratio |"
  echo "|---|---|---|---|"
} >"$table"

if [[ $skip != *" kernel "* ]]; then
  echo "== search kernel (Google Benchmark)" >&2
  VANTREL_BENCH_DIR=$work/gb build/native/bench/search_bench --benchmark_repetitions="$runs" \
    --benchmark_report_aggregates_only=true --benchmark_enable_random_interleaving=true --benchmark_format=csv 2>/dev/null >"$work/gb.csv"
  # name,iterations,real_time,cpu_time,time_unit,bytes_per_second,...  (median rows)
  gbps() { grep "^\"$1/min_time:0.500_median\"" "$work/gb.csv" | awk -F, '{printf "%.2f", $6/1e9}'; }
  for kind in random text; do
    base=$(gbps "$kind/memchr_absent_byte")
    for c in absent4 absent16 tail16; do
      ours=$(gbps "$kind/$c/vantrel_finder")
      fresh=$(gbps "$kind/$c/FindInFile")
      mm=$(gbps "$kind/$c/memmem")
      bm=$(gbps "$kind/$c/boyer_moore_horspool")
      qs=$(gbps "$kind/$c/QuickSearch")
      row "kernel $kind $c" "$ours GB/s" "memchr $base GB/s" "$(awk -v a="$ours" -v b="$base" 'BEGIN{printf "%.0f %%", 100*a/b}')"
      row "FindInFile (fresh map) $kind $c" "$fresh GB/s" "memchr $base GB/s" "$(awk -v a="$fresh" -v b="$base" 'BEGIN{printf "%.0f %%", 100*a/b}')"
      row "kernel $kind $c" "$ours GB/s" "memmem $mm GB/s" "$(awk -v a="$ours" -v b="$mm" 'BEGIN{printf "%.1fx", a/b}')"
      row "kernel $kind $c" "$ours GB/s" "boyer_moore_horspool $bm GB/s, QuickSearch $qs GB/s" \
          "$(awk -v a="$ours" -v b="$bm" 'BEGIN{printf "%.1fx", a/b}')"
    done
  done
fi

if [[ $skip != *" file "* ]]; then
  echo "== one 1 GiB file, whole process" >&2
  for kind in random text; do
    "$MAKE" file "$work/$kind.bin" "$kind" 1024
    letters=vQ7kZ2xJ9mW4pL6rT8yB
    [ "$kind" = text ] && letters=etaoinsrhldnoteshirt
    for length in 4 16; do
      p=$(absent_pattern "$work/$kind.bin" "$length" "$letters")
      compare "--dry-run, 1 GiB $kind, absent $length bytes" "$V --dry-run -f $(hex "$p") $work/$kind.bin" \
        "rg -c -F --mmap" "rg -c -F --mmap $p $work/$kind.bin" "grep -c -F" "grep -c -F $p $work/$kind.bin"
    done
    compare "--dry-run, 1 GiB $kind, 16 bytes in the last 64" "$V --dry-run -f $(hex Vantrel-tail-0x5) $work/$kind.bin" \
      "rg -c -F --mmap" "rg -c -F --mmap Vantrel-tail-0x5 $work/$kind.bin"
  done
  rm -f "$work/random.bin" "$work/text.bin"
fi

if [[ $skip != *" tree "* ]]; then
  echo "== a generated tree of 100,000 files" >&2
  "$MAKE" tree "$work/tree" 100000
  p=Vantrel-absent-7Q
  compare "--dry-run, generated tree, 100,000 files" "$V --dry-run -f $(hex $p) $work/tree" \
    "rg -l -F -uuu -j1 --no-ignore" "rg -l -F -uuu -j1 --no-ignore $p $work/tree" \
    "rg -l -F -uuu (default threads)" "rg -l -F -uuu $p $work/tree"
  rm -rf "$work/tree"
fi

if [[ $skip != *" system "* ]]; then
  for tree in /usr/share /usr/lib; do
    echo "== $tree ($(find "$tree" -type f | wc -l) files)" >&2
    p=Vantrel-absent-7Q
    compare "--dry-run, $tree ($(find "$tree" -type f | wc -l) files)" "$V --dry-run -f $(hex $p) $tree" \
      "rg -l -F -uuu -j1 --no-ignore" "rg -l -F -uuu -j1 --no-ignore $p $tree" \
      "rg -l -F -uuu (default threads)" "rg -l -F -uuu $p $tree"
  done
fi

if [[ $skip != *" yes "* ]]; then
  echo "== --yes, 1 GiB with 100,000 occurrences" >&2
  "$MAKE" occurrences "$work/occ.bin" 1024 100000 ABCD
  compare "--yes, 1 GiB, 100,000 x 4 bytes" "$V --yes -f 41424344 -r 57585960 $work/work.bin" \
    "its own --dry-run" "$V --dry-run -f 41424344 $work/occ.bin" \
    "bbe (new file)" "bbe -e s/ABCD/WXYZ/ -o $work/out.bin $work/occ.bin" \
    "LC_ALL=C sed (new file)" "sh -c 'LC_ALL=C sed s/ABCD/WXYZ/g $work/occ.bin > $work/out.bin'" \
    -- --prepare "cp $work/occ.bin $work/work.bin"
  rm -f "$work/occ.bin" "$work/work.bin" "$work/out.bin"
fi

if [[ $skip != *" memory "* ]]; then
  echo "== peak memory, 5 GiB file" >&2
  truncate -s 5G "$work/big.bin"
  printf 'Vantrel-tail-0x5' | dd of="$work/big.bin" bs=1 seek=$((5 * 1024 * 1024 * 1024 - 40)) conv=notrunc status=none
  rss=$( { /usr/bin/time -f '%M' "$V" --dry-run -f "$(hex Vantrel-tail-0x5)" "$work/big.bin" >/dev/null; } 2>&1 | tail -n 1)
  row "peak resident memory, --dry-run over 5 GiB" "$((rss / 1024)) MiB" "target 160 MiB" "-"
  rm -f "$work/big.bin"
fi

cat "$table"
