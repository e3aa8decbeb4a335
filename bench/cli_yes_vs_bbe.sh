#!/usr/bin/env bash
# vantrel --yes against bbe on the same replacement: a 1 GiB file of random bytes holding
# 100,000 occurrences of a 4-byte pattern. bbe streams the file into a new one, vantrel
# patches it in place; both results are compared before timing. The data lives in a
# temporary directory that is removed at the end.
#   bench/cli_yes_vs_bbe.sh [path/to/vantrel] [runs]
set -euo pipefail

vantrel=$(realpath "${1:-build/native/cli/vantrel}")
runs=${2:-7}
data=$(mktemp -d /tmp/vantrel-bench.XXXXXX)
trap 'rm -rf "$data"' EXIT

python3 - "$data/orig.bin" <<'PY'
import os, random, sys
size, pattern = 1 << 30, bytes.fromhex("C0FFEE42")
rng = random.Random(7)
with open(sys.argv[1], "wb") as f:
    for _ in range(size >> 24):
        block = bytearray(os.urandom(1 << 24))
        at = block.find(pattern)
        while at >= 0:  # no occurrence by chance: exactly the ones placed below
            block[at] ^= 1
            at = block.find(pattern, at)
        f.write(block)
with open(sys.argv[1], "r+b") as f:
    for slot in sorted(rng.sample(range(size // 16), 100000)):
        f.seek(slot * 16 + rng.randrange(12))
        f.write(pattern)
PY

cp "$data/orig.bin" "$data/work.bin"
echo "occurrences: $("$vantrel" --dry-run -f C0FFEE42 "$data/work.bin" | wc -l)"
"$vantrel" --yes -f C0FFEE42 -r 0BADF00D "$data/work.bin" >/dev/null
bbe -e 's/\xC0\xFF\xEE\x42/\x0B\xAD\xF0\x0D/' -o "$data/bbe.out" "$data/orig.bin"
cmp "$data/work.bin" "$data/bbe.out" && echo "vantrel and bbe give the same file"

echo "load before: $(cut -d' ' -f1-3 /proc/loadavg) on $(nproc) cores"
hyperfine --runs "$runs" --export-json "$data/times.json" \
  --prepare "cp $data/orig.bin $data/work.bin; rm -f $data/bbe.out" \
  -n 'vantrel --yes' "$vantrel --yes -f C0FFEE42 -r 0BADF00D $data/work.bin > /dev/null" \
  -n 'bbe' "bbe -e 's/\\xC0\\xFF\\xEE\\x42/\\x0B\\xAD\\xF0\\x0D/' -o $data/bbe.out $data/work.bin"
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
python3 -c '
import json, sys
for r in json.load(open(sys.argv[1]))["results"]:
    print("%-14s median %.3f s  (min %.3f, max %.3f)" % (r["command"], r["median"], r["min"], r["max"]))
' "$data/times.json"
