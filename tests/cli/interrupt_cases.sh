#!/bin/bash
# The faults a user meets, run as a user runs them: an interrupt in the middle of --yes, a
# size limit half-way through a growing write or through a backup, an interrupted backup, a
# second run with backups, a restore through a link or beside a user's own .bak. Each leaves
# the file whole (as it was, or fully patched) and loses no original. Usage: interrupt_cases.sh VANTREL
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

# A size limit during the backup's copy: no backup under its name, no temporary, the file
# not written, and --restore then has nothing to cut the file with.
head -c 1M /dev/urandom >f; printf '\xDE\xAD\xBE\xEF' | dd of=f bs=1 seek=100 conv=notrunc 2>/dev/null; cp f f.orig
(ulimit -f 512; "$V" -f DEADBEEF -r CAFEBABE -y -b f) 2>err; status=$?
[ "$status" = 2 ] || fail "backup size limit: status $status"
grep -qx "f: not written: cannot make the backup 'f.bak': File too large" err || fail "backup size limit: message $(cat err)"
[ ! -e f.bak ] || fail "backup size limit: f.bak exists ($(stat -c %s f.bak) bytes)"
ls -a | grep -q '^\.vantrel-' && fail "backup size limit: a temporary is left: $(ls -a)"
"$V" --restore f 2>err; status=$?
[ "$status" = 2 ] || fail "restore without a backup: status $status"
cmp -s f f.orig || fail "backup size limit: the file changed ($(stat -c %s f) bytes)"

# An interrupt during the backup's copy of a big file: the same, or (when the copy was done
# first) a whole backup and a whole file.
head -c 128M /dev/zero >g; printf '\xDE\xAD\xBE\xEF' | dd of=g bs=1 seek=100 conv=notrunc 2>/dev/null; cp g g.orig
env --default-signal=INT "$V" -f DEADBEEF -r CAFEBABE -y -b g >out 2>err &
sleep 0.15; kill -INT $!; wait $!; status=$?
ls -a | grep -q '^\.vantrel-' && fail "backup interrupted: a temporary is left: $(ls -a)"
if [ -e g.bak ]; then
  echo "note: the copy was done before the interrupt"
  cmp -s g.bak g.orig || fail "backup interrupted: g.bak is not whole ($(stat -c %s g.bak) bytes)"
else
  [ "$status" = 130 ] || fail "backup interrupted: status $status"
  grep -qx "g: not written: cannot make the backup 'g.bak': interrupted" err || fail "backup interrupted: message $(cat err)"
  cmp -s g g.orig || fail "backup interrupted: the file changed"
fi
rm -f g.bak; cp g.orig g

# A kill -9 during the copy: a backup under its name is whole, or there is none (a temporary
# may stay behind, under a name no walk with backups takes).
"$V" -f DEADBEEF -r CAFEBABE -y -b g >out 2>err &
sleep 0.15; kill -KILL $!; wait $! 2>/dev/null
if [ -e g.bak ]; then
  cmp -s g.bak g.orig || fail "backup killed: g.bak is not whole ($(stat -c %s g.bak) bytes)"
fi
rm -f g g.orig g.bak .vantrel-*

# Two runs with --backup over a tree: the second does not patch the first one's backup, and
# --restore gives the original back.
mkdir t; printf xxAAAAxx >t/c
for i in 1 2; do "$V" --find-ascii AAAA --no-whole-string --replace-ascii BBBB -y -b t >/dev/null; done
[ "$(cat t/c.bak)" = xxAAAAxx ] || fail "second backup run: t/c.bak is $(cat t/c.bak)"
"$V" --restore t >/dev/null; [ "$(cat t/c)" = xxAAAAxx ] || fail "restore after two runs: t/c is $(cat t/c)"

# An interrupt in the middle of a tree: the line names the command that undoes the run, and
# that command, run as printed, gives every original back.
mkdir tree
python3 -c "
import os
for i in range(3000):
    open('tree/f%04d' % i, 'wb').write(b'..' + bytes.fromhex('DEADBEEF') * 3 + b'..')"
cp -r tree tree.orig
env --default-signal=INT "$V" -f DEADBEEF -r CAFEBABE -y tree >/dev/null 2>err &
sleep 0.3; kill -INT $!; wait $!; status=$?
undo=$(sed -n "s/^vantrel: interrupted: [1-9][0-9]* files written, [01] put back as they were; \(vantrel --undo '.*\.journal'\) undoes the run\$/\1/p" err)
if [ "$status" = 130 ] && [ -n "$undo" ]; then
  eval "\"\$V\" ${undo#vantrel }" >undone || fail "interrupted tree: $undo failed"
  diff -r tree tree.orig >/dev/null || fail "interrupted tree: $undo did not give every original back"
  [ "$(wc -l <undone)" -gt 0 ] || fail "interrupted tree: $undo listed nothing"
elif [ "$status" != 0 ]; then
  fail "interrupted tree: status $status, $(cat err)"
fi

# An interrupt during --restore of a big file: the file is as the run left it (patched) or
# wholly put back, the backup stays unless it was put back, and the line of a run says which.
head -c 64M /dev/zero >r; for at in 100 20000000 60000000; do printf '\xDE\xAD\xBE\xEF' | dd of=r bs=1 seek=$at conv=notrunc 2>/dev/null; done
cp r r.orig
"$V" -f DEADBEEF -r CAFEBABE -y -b r >/dev/null 2>&1; cp r r.patched
env --default-signal=INT "$V" --restore r >out 2>err &
sleep 0.1; kill -INT $!; wait $!; status=$?
if [ "$status" = 130 ] && grep -qx "vantrel: interrupted: 1 files written, 0 put back as they were; vantrel --undo '$work/state/vantrel/.*\.journal' undoes the run" err; then
  echo "note: the interrupt came after the file was put back"
elif [ "$status" = 130 ]; then
  if grep -qx "vantrel: interrupted: 0 files written, 1 put back as they were" err; then
    grep -qx "r: not put back from 'r.bak': interrupted" err || fail "restore interrupted: message $(cat err)"
  else
    grep -qx "vantrel: interrupted: 0 files written, 0 put back as they were" err || fail "restore interrupted: no summary line: $(cat err)"
    grep -qx "r.bak: left alone: interrupted" err || fail "restore interrupted: message $(cat err)"
  fi
  cmp -s r r.patched || fail "restore interrupted: r is neither as it was nor put back"
  cmp -s r.bak r.orig || fail "restore interrupted: the backup is gone or changed"
  "$V" --restore r >/dev/null || fail "restore interrupted: a second --restore failed"
else
  echo "note: the restore was done before the interrupt"
  [ "$status" = 0 ] || fail "restore interrupted: status $status, $(cat err)"
fi
cmp -s r r.orig || fail "restore interrupted: r is not the original in the end"
[ ! -e r.bak ] || fail "restore interrupted: r.bak is left"
rm -f r r.orig r.patched

# --restore after the file was swapped for a link out of the tree: nothing is written through
# the link, and the backup stays.
mkdir l l/t l/out; cd l
printf xxAAAAxx >t/x; "$V" --find-ascii AAAA --no-whole-string --replace-ascii BBBB -y -b t >/dev/null
printf PRECIOUS >out/y; rm t/x; ln -s ../out/y t/x; "$V" --restore t 2>err; status=$?
[ "$(cat out/y)" = PRECIOUS ] || fail "restore through a link: out/y is $(cat out/y)"
[ "$status" = 2 ] || fail "restore through a link: status $status"
grep -qx "t/x: not put back from 't/x.bak': it is a link, and nothing is written through one" err || fail "restore through a link: message $(cat err)"
[ "$(cat t/x.bak)" = xxAAAAxx ] || fail "restore through a link: the backup is gone"
# ... and a dangling link: no file is made at its end.
rm t/x; ln -s ../out/new t/x; "$V" --restore t 2>/dev/null
[ ! -e out/new ] || fail "restore through a dangling link made out/new"
cd ..

# A user's own config.bak is never taken by --restore: only the backups a run recorded.
mkdir u; cd u; printf mine >config; printf old >config.bak; printf xxAAAAxx >d
"$V" --find-ascii AAAA --no-whole-string --replace-ascii BBBB -y -b . >/dev/null
"$V" --restore . >out 2>err; status=$?
[ "$status" = 0 ] || fail "restore beside a user's .bak: status $status"
[ "$(cat config)$(cat config.bak)$(cat d)" = mineoldxxAAAAxx ] || fail "restore beside a user's .bak: $(cat config) $(cat config.bak) $(cat d)"
grep -qx "./config.bak: left alone: no journal of vantrel records it as a backup of './config'" err || fail "restore beside a user's .bak: message $(cat err)"
cd ..

exit $failed
