#!/usr/bin/env bash
# Compares Vantrel with its peers, side by side in one run, and prints a table of medians and
# ratios. Generates its data under a temporary directory and removes it at the end.
#   bench/compare.sh             everything (about 25 minutes on 2 cores)
#   RUNS=5 (default) runs per command; SKIP="kernel file tree system yes journal sets memory" skips parts
#   TREE_FILES=40000, JOURNAL_MIB=1024 (default): the sizes of the journal rows, for a scaled run
#   BEFORE=PATH: another vantrel (an earlier build) as one more peer in the patch-list rows
# Each pair of commands runs in turn, A B A B ..., after a warm-up that makes the page cache
# hot, so a shared machine whose speed drifts slows both alike; a ratio is the median of the
# ratios of each pair (below 1: Vantrel is faster).
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${RUNS:-5}
skip=" ${SKIP:-} "

bash scripts/install-deps.sh
cmake --preset native >/dev/null
cmake --build --preset native --target vantrel_cli search_bench make_data tree_floor pattern_set_bench >/dev/null
V=$PWD/build/native/cli/vantrel
MAKE=$PWD/build/native/bench/make_data
FLOOR=$PWD/build/native/bench/tree_floor
SETS=$PWD/build/native/bench/pattern_set_bench
threads=$(nproc)
work=$(mktemp -d /tmp/vantrel-compare.XXXXXX)
trap 'rm -rf "$work"' EXIT
table=$work/table.md
# The journals of the runs timed here stay with the data, not in the user's state folder.
export XDG_STATE_HOME=$work/state

hex() { printf '%s' "$1" | od -An -tx1 | tr -d ' \n'; }
row() { printf '| %s | %s | %s | %s |\n' "$1" "$2" "$3" "$4" >>"$table"; }
median() { sort -g | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }

# Wall seconds of one run of a shell command, its output dropped (status 1, nothing found, is fine).
seconds() {
  local start=$EPOCHREALTIME
  eval "$1" >/dev/null 2>&1 || true
  awk -v a="$start" -v b="$EPOCHREALTIME" 'BEGIN{printf "%.6f\n", b - a}'
}

# measure OURS PEER...: runs them in turn, $runs rounds after one warm-up round, and leaves
# each command's seconds in $work/t.N, one line a round (0 is ours).
measure() {
  local cmds=("$@") i round
  for i in "${!cmds[@]}"; do seconds "${cmds[$i]}" >/dev/null; : >"$work/t.$i"; done
  for ((round = 0; round < runs; round++)); do
    for i in "${!cmds[@]}"; do seconds "${cmds[$i]}" >>"$work/t.$i"; done
  done
}
m() { median <"$work/t.$1"; }
# The median over the rounds of ours / peer i (times `scale`).
ratio() { paste "$work/t.0" "$work/t.$1" | awk -v s="${2:-1}" '{print $1 / ($2 * s)}' | median; }

# compare LABEL OURS NAME PEER [NAME PEER ...]: one row per peer.
compare() {
  local label=$1 ours=$2; shift 2
  local names=() cmds=("$ours")
  while [ $# -gt 0 ]; do names+=("$1"); cmds+=("$2"); shift 2; done
  echo "== $label" >&2
  measure "${cmds[@]}"
  for i in "${!names[@]}"; do
    row "$label" "$(printf '%.3f s' "$(m 0)")" "${names[$i]} $(printf '%.3f s' "$(m $((i + 1)))")" \
        "$(printf '%.2fx' "$(ratio $((i + 1)))")"
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
  echo "Medians of $runs rounds, each command in turn with its peers, hot page cache, whole processes (wall"
  echo "time). Ratio = the median over the rounds of Vantrel's time / the peer's (below 1 is faster),"
  echo "except in the kernel rows, where it is throughput as a share of memchr's or a multiple of memmem's."
  echo
  echo "| case | Vantrel | peer | ratio |"
  echo "|---|---|---|---|"
} >"$table"

if [[ $skip != *" kernel "* ]]; then
  echo "== search kernel (Google Benchmark)" >&2
  # Writes its data first; written back to disk before anything is timed, so that no measured
  # round shares the machine with the writeback.
  VANTREL_BENCH_DIR=$work/gb build/native/bench/search_bench --benchmark_list_tests >/dev/null 2>&1
  sync
  # Only the rows below. With FindInFile in the same run (it maps and unmaps views of the same
  # data again and again), the other searches over the 1 GiB data fell now and then to a tenth
  # of their speed on this project's virtual machines, memchr as much as the finder.
  VANTREL_BENCH_DIR=$work/gb build/native/bench/search_bench --benchmark_filter='memchr|vantrel_finder|memmem' --benchmark_repetitions="$runs" \
    --benchmark_report_aggregates_only=true --benchmark_enable_random_interleaving=true --benchmark_format=csv 2>/dev/null >"$work/gb.csv"
  # name,iterations,real_time,cpu_time,time_unit,bytes_per_second,...  (median rows)
  gbps() { grep "^\"$1/min_time:0.500_median\"" "$work/gb.csv" | awk -F, '{printf "%.2f", $6/1e9}'; }
  for kind in random text; do
    base=$(gbps "$kind/memchr_absent_byte")
    for c in absent4 absent16 tail16; do
      ours=$(gbps "$kind/$c/vantrel_finder")
      mm=$(gbps "$kind/$c/memmem")
      row "kernel $kind $c" "$ours GB/s" "memchr $base GB/s" "$(awk -v a="$ours" -v b="$base" 'BEGIN{printf "%.0f %%", 100*a/b}')"
      row "kernel $kind $c" "$ours GB/s" "memmem $mm GB/s" "$(awk -v a="$ours" -v b="$mm" 'BEGIN{printf "%.1fx", a/b}')"
    done
  done
  rm -rf "$work/gb"
fi

if [[ $skip != *" file "* ]]; then
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
  rm -f "$work/random.bin"
fi

# compare_tree NAME DIR: one thread against rg -j1 and the floor, then every thread against rg
# with its default threads and against the floor shared among the threads.
compare_tree() {
  local name=$1 dir=$2 p=Vantrel-absent-7Q
  echo "== $name" >&2
  measure "$V --dry-run -j1 -f $(hex $p) $dir" "rg -l -F -uuu -j1 $p $dir" "$FLOOR $dir" \
          "$V --dry-run -f $(hex $p) $dir" "rg -l -F -uuu $p $dir"
  row "--dry-run -j1, $name" "$(printf '%.3f s' "$(m 0)")" "rg -l -F -uuu -j1 $(printf '%.3f s' "$(m 1)")" "$(printf '%.2fx' "$(ratio 1)")"
  row "--dry-run -j1, $name" "$(printf '%.3f s' "$(m 0)")" "floor (list, open, read, close) $(printf '%.3f s' "$(m 2)")" "$(printf '%.2fx' "$(ratio 2)")"
  paste "$work/t.3" "$work/t.4" >"$work/t.threads"
  row "--dry-run -j$threads, $name" "$(printf '%.3f s' "$(m 3)")" "rg -l -F -uuu (default threads) $(printf '%.3f s' "$(m 4)")" \
      "$(printf '%.2fx' "$(awk '{print $1 / $2}' "$work/t.threads" | median)")"
  paste "$work/t.3" "$work/t.2" >"$work/t.floor"
  row "--dry-run -j$threads, $name" "$(printf '%.3f s' "$(m 3)")" "floor / $threads threads $(awk -v f="$(m 2)" -v t="$threads" 'BEGIN{printf "%.3f s", f / t}')" \
      "$(printf '%.2fx' "$(awk -v t="$threads" '{print $1 * t / $2}' "$work/t.floor" | median)")"
}

if [[ $skip != *" tree "* ]]; then
  "$MAKE" tree "$work/tree" 40000 Vantrel-planted-1pc
  compare_tree "generated tree, 40,000 files of 1-12 KiB" "$work/tree"
fi

if [[ $skip != *" system "* ]]; then
  for dir in /usr/share /usr/lib; do
    compare_tree "$dir ($(find "$dir" -type f | wc -l) files, $(du -sh "$dir" 2>/dev/null | cut -f1))" "$dir"
  done
fi

if [[ $skip != *" yes "* ]]; then
  [ -d "$work/tree" ] || "$MAKE" tree "$work/tree" 40000 Vantrel-planted-1pc
  # Each round patches the tree and patches it back, so no copy is timed; its own --dry-run
  # searches it twice as well, once for each pattern.
  p=$(hex Vantrel-planted-1pc) r=$(hex Vantrel-patched-1pc)
  compare "--yes, generated tree, the pattern in 1 % of the files" \
    "$V --yes -f $p -r $r $work/tree && $V --yes -f $r -r $p $work/tree" \
    "its own --dry-run" "$V --dry-run -f $p $work/tree; $V --dry-run -f $r $work/tree"
  "$MAKE" occurrences "$work/occ.bin" 1024 100000 ABCD
  compare "--yes, 1 GiB, 100,000 x 4 bytes" "$V --yes -f 41424344 -r 57585960 $work/occ.bin && $V --yes -f 57585960 -r 41424344 $work/occ.bin" \
    "its own --dry-run" "$V --dry-run -f 41424344 $work/occ.bin; $V --dry-run -f 57585960 $work/occ.bin"
  rm -f "$work/occ.bin"
fi

if [[ $skip != *" journal "* ]]; then
  # --yes keeps a journal of every write, flushed before the write; --no-journal does not. On
  # $work's file system (a disk, not tmpfs, for the flushes to cost what they cost).
  files=${TREE_FILES:-40000} mib=${JOURNAL_MIB:-1024}
  echo "== journal: $(df -T "$work" | awk 'NR == 2 {print $2 " on " $1}')" >&2
  "$MAKE" tree "$work/jtree" "$files" Vantrel-planted-1pc
  p=$(hex Vantrel-planted-1pc) r=$(hex Vantrel-patched-1pc)
  compare "--yes with its journal, tree of $files files, the pattern in 1 % of them" \
    "$V --yes -f $p -r $r $work/jtree && $V --yes -f $r -r $p $work/jtree" \
    "--no-journal" "$V --yes --no-journal -f $p -r $r $work/jtree && $V --yes --no-journal -f $r -r $p $work/jtree"
  rm -rf "$work/jtree"
  "$MAKE" occurrences "$work/jocc.bin" "$mib" 100000 ABCD
  compare "--yes with its journal, $mib MiB, 100,000 x 4 bytes" \
    "$V --yes -f 41424344 -r 57585960 $work/jocc.bin && $V --yes -f 57585960 -r 41424344 $work/jocc.bin" \
    "--no-journal" "$V --yes --no-journal -f 41424344 -r 57585960 $work/jocc.bin && $V --yes --no-journal -f 57585960 -r 41424344 $work/jocc.bin"
  rm -f "$work/jocc.bin"
  # What the journal costs on the disk against the bytes it may have to put back.
  newest=$(ls "$work/state/vantrel" | tail -n 1)
  row "journal of one --yes over $mib MiB, 100,000 x 4 bytes" "$(stat -c %s "$work/state/vantrel/$newest") bytes" \
      "400000 bytes changed" "-"
  rm -rf "$work/state"
fi

if [[ $skip != *" sets "* ]]; then
  [ -f "$work/text.bin" ] || "$MAKE" file "$work/text.bin" text 1024
  text=$work/text.bin
  "$SETS" absent-words "$text" 100 1 >"$work/words100.txt"
  "$SETS" absent-pieces "$text" 100 2 >"$work/pieces100.txt"
  # The same texts as a patch list: each a pair whose replacement does not matter to --dry-run.
  for list in words100 pieces100; do
    sed -e 's/\\/\\\\/g' -e 's/"/\\"/g' -e 's/^/ascii:"/' -e 's/$/" => 00/' "$work/$list.txt" >"$work/$list.patch"
  done
  line=$(awk 'length($0) >= 16 { print substr($0, 1, 16); exit }' "$work/words100.txt")
  wild="$(printf '%s' "${line:0:8}" | od -An -tx1 | tr -d '\n') ?? $(printf '%s' "${line:9:7}" | od -An -tx1 | tr -d '\n')"
  regex="(?s-u)${line:0:8}.${line:9:7}"
  head -n 20 "$work/pieces100.txt" >"$work/pieces20.txt"
  # 1 GiB of the system's C headers, over and over, and lists whose texts all end alike.
  headers=$work/headers.bin
  find /usr/include -name '*.h' -type f -print0 | sort -z | xargs -0 cat >"$work/headers.once"
  while [ "$(stat -c %s "$headers" 2>/dev/null || echo 0)" -lt $((1 << 30)) ]; do cat "$work/headers.once" >>"$headers"; done
  truncate -s 1G "$headers"
  rm -f "$work/headers.once"
  "$SETS" absent-letters "$headers" 100 3 _zq >"$work/zq100.txt"
  "$SETS" absent-identifiers "$headers" 100 4 Q >"$work/q100.txt"
  for list in pieces20 zq100 q100; do
    sed -e 's/\\/\\\\/g' -e 's/"/\\"/g' -e 's/^/ascii:"/' -e 's/$/" => 00/' "$work/$list.txt" >"$work/$list.patch"
  done
  # compare_list LABEL LIST DATA: the patch list against rg with its texts (and the earlier build).
  compare_list() {
    local before=()
    [ -z "${BEFORE:-}" ] || before=("before" "$BEFORE --dry-run -p $work/$2.patch $3")
    compare "$1" "$V --dry-run -p $work/$2.patch $3" "rg -c -F --mmap -f" "rg -c -F --mmap -f $work/$2.txt $3" "${before[@]}"
  }
  compare_list "--dry-run -p, 100 absent texts (words) of 9-17 bytes, 1 GiB text" words100 "$text"
  compare_list "--dry-run -p, 100 absent texts (pieces) of 9-17 bytes, 1 GiB text" pieces100 "$text"
  compare_list "--dry-run -p, 20 absent texts (pieces) of 9-17 bytes, 1 GiB text" pieces20 "$text"
  compare_list "--dry-run -p, 100 absent texts of 9-17 letters ending in _zq, 1 GiB C headers" zq100 "$headers"
  compare_list "--dry-run -p, 100 absent identifiers (a letter changed) + Q, 9-17 bytes, 1 GiB C headers" q100 "$headers"
  rm -f "$headers"
  compare "--dry-run, ?? among 15 fixed text bytes, 1 GiB text" "$V --dry-run -f '$wild' $text" \
    "rg -c --mmap -a '$regex'" "rg -c --mmap -a '$regex' $text"
  compare "--dry-run, E8 ?? ?? ?? ?? 85 C0, 1 GiB text" "$V --dry-run -f 'E8 ?? ?? ?? ?? 85 C0' $text" \
    "rg -c --mmap -a '(?s-u)\\xE8.{4}\\x85\\xC0'" "rg -c --mmap -a '(?s-u)\\xE8.{4}\\x85\\xC0' $text"
fi
rm -f "$work/text.bin"

if [[ $skip != *" memory "* ]]; then
  echo "== peak memory" >&2
  # The peak resident set in KiB (GNU time's last line; before it, a status other than 0).
  peak() { /usr/bin/time -f '%M' -o "$work/peak" "$@" >/dev/null 2>&1 || true; tail -n 1 "$work/peak"; }
  truncate -s 5G "$work/big.bin"
  printf 'Vantrel-tail-0x5' | dd of="$work/big.bin" bs=1 seek=$((5 * 1024 * 1024 * 1024 - 40)) conv=notrunc status=none
  row "peak resident memory, --dry-run over a 5 GiB file" "$(( $(peak "$V" --dry-run -f "$(hex Vantrel-tail-0x5)" "$work/big.bin") / 1024 )) MiB" "target 64 MiB" "-"
  rm -f "$work/big.bin"
  "$MAKE" tree "$work/big-tree" 100000 Vantrel-planted-1pc
  for j in 1 "$threads" 8; do
    row "peak resident memory, --yes -j$j over 100,000 files" \
        "$(( $(peak "$V" --yes -j"$j" -f "$(hex Vantrel-planted-1pc)" -r "$(hex Vantrel-patched-1pc)" "$work/big-tree") / 1024 )) MiB" "target 64 MiB" "-"
    "$V" --yes -j1 -f "$(hex Vantrel-patched-1pc)" -r "$(hex Vantrel-planted-1pc)" "$work/big-tree" >/dev/null
  done
  rm -rf "$work/big-tree"
fi

cat "$table"
