#!/usr/bin/env bash
# Load test of a walk: 100,000 small files and 100 large ones, the pattern in one of every
# hundred. `vantrel --yes` with four threads must patch exactly those files, as a naive
# replace would, leave every other file byte-identical (by hash), and stay within 64 MiB.
#   walk_load_test.sh VANTREL MAKE_LOAD_TREE [SMALL LARGE [RSS_LIMIT_MIB]]
# RSS_LIMIT_MIB 0 reports the peak without a limit (sanitizer builds carry shadow memory).
set -euo pipefail
vantrel=$1 make_tree=$2 small=${3:-100000} large=${4:-100} rss_limit=${5:-64}
work=$(mktemp -d /tmp/vantrel-load.XXXXXX)
trap 'rm -rf "$work"' EXIT
pattern=VANTREL-LOAD-PATTERN replacement=PATCHED-BY-A-LOAD-TS
hex() { printf '%s' "$1" | od -An -tx1 | tr -d ' \n'; }
fail() { echo "walk_load_test: $*" >&2; exit 1; }

"$make_tree" "$work/tree" "$small" "$large" "$pattern" >"$work/planted"
planted=$(wc -l <"$work/planted")
[ "$planted" -gt 0 ] || fail "no file holds the pattern"
while read -r f; do mkdir -p "$work/orig/$(dirname "$f")"; cp "$f" "$work/orig/$f"; done <"$work/planted"
(cd "$work/tree" && find . -type f -print0 | sort -z | xargs -0 sha256sum) >"$work/before"

status=0
/usr/bin/time -f '%M' -o "$work/rss" "$vantrel" --yes -j4 -f "$(hex $pattern)" -r "$(hex $replacement)" \
  "$work/tree" >"$work/written" 2>"$work/stderr" || status=$?
[ "$status" -eq 0 ] || { cat "$work/stderr" >&2; fail "exit status $status, expected 0"; }

# Every planted file equals its original with each occurrence replaced; no other file changed.
while read -r f; do
  LC_ALL=C sed "s/$pattern/$replacement/g" "$work/orig/$f" | cmp -s - "$f" || fail "$f is not patched as expected"
done <"$work/planted"
(cd "$work/tree" && find . -type f -print0 | sort -z | xargs -0 sha256sum) >"$work/after"
changed=$(diff "$work/before" "$work/after" | grep -c '^>' || true)
[ "$changed" -eq "$planted" ] || fail "$changed files changed, $planted hold the pattern"
written_files=$(cut -d: -f1 "$work/written" | sort -u | wc -l)
[ "$written_files" -eq "$planted" ] || fail "writes reported in $written_files files, expected $planted"

rss_mib=$(( $(cat "$work/rss") / 1024 ))
[ "$rss_limit" -eq 0 ] || [ "$rss_mib" -le "$rss_limit" ] ||
  fail "peak resident memory $rss_mib MiB, limit $rss_limit MiB"
echo "walk_load_test: $((small + large)) files, $planted patched ($(wc -l <"$work/written") writes), the rest unchanged; peak memory $rss_mib MiB"
