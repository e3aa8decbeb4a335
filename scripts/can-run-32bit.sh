#!/usr/bin/env bash
# Says whether this machine runs 32-bit programs, by trying one: the 32-bit Wine loader, a
# 32-bit Linux program. A kernel without ia32 emulation refuses it with "Exec format error"
# whatever its version says. Exit status 0 when it runs; 1 when it cannot, with the reason on
# standard output. VANTREL_NO_32BIT=1 gives the same answer on any machine, to try that path.
set -uo pipefail

cannot="this kernel cannot run 32-bit programs (ia32 emulation is off)"
if [ "${VANTREL_NO_32BIT:-}" = 1 ]; then
  echo "$cannot"
  exit 1
fi
# Only a refusal by the kernel counts: a loader that starts but fails is a fault the 32-bit
# tests must show, not hide.
said=$(/usr/lib/wine/wine --version 2>&1 </dev/null)
if [ $? -eq 126 ] && [[ $said == *"Exec format error"* ]]; then
  echo "$cannot"
  exit 1
fi
exit 0
