#!/usr/bin/env bash
# Says whether this machine runs 32-bit Windows programs, by trying what they need: the kernel
# must run a 32-bit program (some run none: "Exec format error", whatever their version says),
# and the 32-bit Wine loader must be installed (its i386 packages cannot always be had) and
# start. Exit status 0 when both hold; 1 when not, with the reason in one line on standard
# output. VANTREL_NO_32BIT=1 gives the kernel's answer on any machine, to try that path.
set -uo pipefail
cd "$(dirname "$0")/.."

kernel_cannot="this kernel cannot run 32-bit programs (ia32 emulation is off)"
if [ "${VANTREL_NO_32BIT:-}" = 1 ]; then
  echo "$kernel_cannot"
  exit 1
fi

# The kernel first, with a 32-bit Linux program of our own: 96 bytes that only exit with 42.
probe=$(mktemp "${TMPDIR:-/tmp}/vantrel-probe32.XXXXXX")
trap 'rm -f "$probe"' EXIT
printf '\177ELF\1\1\1\0\0\0\0\0\0\0\0\0\2\0\3\0\1\0\0\0\124\200\4\010\064\0\0\0\0\0\0\0\0\0\0\0\064\0\040\0\1\0\0\0\0\0\0\0' >"$probe"
printf '\1\0\0\0\0\0\0\0\0\200\4\010\0\200\4\010\140\0\0\0\140\0\0\0\5\0\0\0\0\020\0\0' >>"$probe"
printf '\270\1\0\0\0\273\052\0\0\0\315\200' >>"$probe"
chmod +x "$probe"
said=$("$probe" 2>&1 </dev/null)
status=$?
if [ $status -eq 126 ] && [[ $said == *"Exec format error"* ]]; then
  echo "$kernel_cannot"
  exit 1
fi
# Any other answer (a temporary folder mounted noexec, say) leaves it to the loader below.

loader=/usr/lib/wine/wine
if [ ! -x "$loader" ]; then
  why=
  [ -s build/wine32-not-installed.txt ] && why=": $(head -n 1 build/wine32-not-installed.txt)"
  echo "the 32-bit Wine is not installed (wine32:i386 could not be installed$why)"
  exit 1
fi
said=$("$loader" --version 2>&1 </dev/null)
status=$?
if [ $status -eq 126 ] && [[ $said == *"Exec format error"* ]]; then
  echo "$kernel_cannot"
  exit 1
fi
if [ $status -ne 0 ]; then
  echo "the 32-bit Wine loader does not start ($loader --version: status $status, $(head -n 1 <<<"$said"))"
  exit 1
fi
exit 0
