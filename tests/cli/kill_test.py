#!/usr/bin/env python3
"""The kill test: runs of --yes killed with SIGKILL at random moments, each followed by
--recover; after every recovery each file must be whole, its original or its fully patched
form, never anything else; at the end, --undo of every run, newest first, must give back
every original byte for byte.

Runs go back and forth (DEADBEEF -> CAFEBABE, then CAFEBABE -> DEADBEEF), so that every run
has files to write and a file's only whole forms stay its original and its patched form.
Usage: kill_test.py VANTREL [FILES KILLS BIG_MIB]; prints the counts."""
import os
import random
import shutil
import signal
import subprocess
import sys
import tempfile
import time

V = sys.argv[1]
FILES = int(sys.argv[2]) if len(sys.argv) > 2 else 2000
KILLS = int(sys.argv[3]) if len(sys.argv) > 3 else 30
BIG_MIB = int(sys.argv[4]) if len(sys.argv) > 4 else 64
D, C = bytes.fromhex("DEADBEEF"), bytes.fromhex("CAFEBABE")
failures = []


def fail(text):
    failures.append(text)
    print("FAIL: " + text)


def make_tree(root, rng):
    originals = {}
    os.makedirs(root)
    for i in range(FILES):
        body = bytearray(rng.randbytes(rng.randrange(64, 4096)).replace(D, b"....").replace(C, b"...."))
        for _ in range(rng.randrange(1, 4)):
            at = rng.randrange(0, len(body) - 4)
            body[at:at + 4] = D
        # Pieces of a pattern may have made a new one next to a planted one: none is kept.
        body = bytes(body)
        path = os.path.join(root, "d%02d" % (i % 20), "f%04d" % i)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as out:
            out.write(body)
        originals[path] = body
    return originals


def make_big(path, rng):
    block = bytearray(b"\x11" * 1024)
    block[100:104] = D
    with open(path, "wb") as out:
        out.write(bytes(block) * (BIG_MIB * 1024))
    return {path: bytes(block) * (BIG_MIB * 1024)}


def read(path):
    with open(path, "rb") as f:
        return f.read()


def whole(originals, label):
    """Every file is its original or its patched form; the counts of each."""
    patched = 0
    for path, original in originals.items():
        now = read(path)
        if now == original.replace(D, C):
            patched += 1
        elif now != original:
            fail("%s: %s is neither its original nor its patched form" % (label, path))
    return patched


def run(args, env):
    return subprocess.run([V] + args, env=env, capture_output=True)


def target(name, make, work, rng, env):
    failed_before = len(failures)
    originals = make(os.path.join(work, name), rng)
    where = os.path.join(work, name)
    forward = ["-f", "DEADBEEF", "-r", "CAFEBABE", "-y", where]
    backward = ["-f", "CAFEBABE", "-r", "DEADBEEF", "-y", where]
    start = time.monotonic()
    first = run(forward, env)
    full = time.monotonic() - start
    if first.returncode != 0:
        fail("%s: a whole run ended with %d: %s" % (name, first.returncode, first.stderr.decode()))
    if whole(originals, name + " after a whole run") != len(originals):
        fail("%s: a whole run left files unpatched" % name)
    during = mixed_before = put_back = killed = 0
    refused_checked = False
    for k in range(KILLS):
        args = backward if k % 2 == 0 else forward
        proc = subprocess.Popen([V] + args, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        time.sleep(rng.uniform(0.0, full * 1.1))
        proc.send_signal(signal.SIGKILL)
        proc.wait()
        if proc.returncode != -signal.SIGKILL:
            continue  # it ended before the kill
        mixed = sum(1 for p, o in originals.items() if read(p) not in (o, o.replace(D, C)))
        mixed_before += mixed
        if mixed and not refused_checked:
            refused_checked = True
            check_refusal(args, env, name)
        recovered = run(["--recover"], env)
        listed = [line for line in recovered.stdout.decode().splitlines() if line]
        nothing = recovered.returncode == 1 and recovered.stderr.decode().endswith(" nothing to recover\n")
        if recovered.returncode != 0 and not nothing:
            fail("%s: --recover ended with %d: %s" % (name, recovered.returncode, recovered.stderr.decode()))
        if listed:
            during += 1
            put_back += len(listed)
        whole(originals, "%s after kill %d" % (name, k + 1))
        killed += 1
    journals = sorted(os.listdir(os.path.join(env["XDG_STATE_HOME"], "vantrel")), reverse=True)
    for journal in journals:
        undone = run(["--undo", os.path.join(env["XDG_STATE_HOME"], "vantrel", journal)], env)
        if undone.returncode not in (0, 1):
            fail("%s: --undo %s ended with %d: %s" % (name, journal, undone.returncode, undone.stderr.decode()))
    if whole(originals, name + " after --undo") != 0:
        fail("%s: --undo of every run left patched files" % name)
    print("%s: %d files, a whole run %.2f s; %d kills (%d before the run ended), %d during a write (%d files mixed when killed, %d put back "
          "by --recover); --undo of %d journals gave back every original: %s"
          % (name, len(originals), full, KILLS, killed, during, mixed_before, put_back, len(journals),
             "yes" if len(failures) == failed_before else "NO"))
    shutil.rmtree(env["XDG_STATE_HOME"])


def check_refusal(args, env, name):
    """A run started before the recovery says so and leaves the caught files alone."""
    started = run(args, env)
    err = started.stderr.decode()
    if "vantrel: an unfinished run was found: '" not in err or "' puts them back\n" not in err:
        fail("%s: no line about the unfinished run: %s" % (name, err))
    if ": an unfinished run was writing it; not written until vantrel --recover puts it back\n" not in err:
        fail("%s: a caught file was not refused: %s" % (name, err))


def main():
    rng = random.Random(int(os.environ.get("KILL_TEST_SEED", "19")))
    work = tempfile.mkdtemp(prefix="vantrel-kill-", dir=os.environ.get("KILL_TEST_DIR"))
    try:
        for name, make in (("tree", make_tree), ("big", make_big)):
            env = dict(os.environ, XDG_STATE_HOME=os.path.join(work, "state-" + name))
            target(name, make, work, rng, env)
    finally:
        shutil.rmtree(work)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
