#!/bin/bash
# The faults a user meets, run as a user runs them: an interrupt in the middle of --yes, a
# size limit half-way through a growing write, a second run with backups. Each leaves the
# file whole (as it was, or fully patched) and loses no original. Usage: interrupt_cases.sh VANTREL
set -u
V=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
export XDG_STATE_HOME=$work/state  # the journals of these runs stay here
failed=0
fail() { echo "FAIL: $*"; failed=1; }

# An interrupt (SIGINT, then SIGTERM) during --yes on a file with 65,536 occurrences.
python3 -c "b=bytearray(b'\x11'*1024);b[100:104]=bytes.fromhex('DEADBEEF');open('orig','wb').write(bytes(b)*(1<<16))"
for sig in INT TERM; do
  cp orig big
  env --default-signal=INT,TERM "$V" -f DEADBEEF -r CAFEBABE -y big >out 2>err &
  sleep 0.2; kill -$sig $!; wait $!; status=$?
  counts=$(python3 -c "d=open('big','rb').read();print(d.count(bytes.fromhex('CAFEBABE')),d.count(bytes.fromhex('DEADBEEF')))")
  case "$status:$counts" in
    130:"0 65536"|143:"0 65536")
      grep -qx "vantrel: interrupted: 0 files written, 1 put back as they were" err || fail "SIG$sig: no summary line: $(cat err)" ;;
    130:"65536 0"|143:"65536 0")  # the signal came after the file's last write: it is kept
      grep -qx "vantrel: interrupted: 1 files written, 0 put back as they were; vantrel --undo '$work/state/vantrel/.*\.journal' undoes the run" err ||
        fail "SIG$sig: no summary line: $(cat err)" ;;
    0:"65536 0") ;;  # the run ended before the signal
    *) fail "SIG$sig: status $status, CAFEBABE/DEADBEEF counts $counts" ;;
  esac
done

# A size limit half-way through a growing write: a clear failure, not a killed program, and
# the file keeps its length.
head -c 1018 /dev/zero >h; printf AB >>h; cp h h.orig
(ulimit -f 1; "$V" --find-ascii AB --no-whole-string --replace-ascii ABCDEFGH -y h) 2>err; status=$?
[ "$status" = 2 ] || fail "size limit: status $status (a signal ended the program?)"
grep -qx "h: File too large" err || fail "size limit: message $(cat err)"
cmp -s h h.orig || fail "size limit: the file changed ($(stat -c %s h) bytes)"

# Two runs with --backup over a tree: the second does not patch the first one's backup, and
# --restore gives the original back.
mkdir t; printf xxAAAAxx >t/c
for i in 1 2; do "$V" --find-ascii AAAA --no-whole-string --replace-ascii BBBB -y -b t >/dev/null; done
[ "$(cat t/c.bak)" = xxAAAAxx ] || fail "second backup run: t/c.bak is $(cat t/c.bak)"
"$V" --restore t >/dev/null; [ "$(cat t/c)" = xxAAAAxx ] || fail "restore after two runs: t/c is $(cat t/c)"

exit $failed
