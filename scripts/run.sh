#!/usr/bin/env bash
# Opens the Vantrel window: installs what is missing, builds Vantrel.exe, and runs it under
# Wine with the arguments given (a path is passed on as a Windows path).
#   bash scripts/run.sh [PATH]
# The 32-bit Vantrel.exe (preset win32) runs where this machine runs 32-bit programs, the
# 64-bit one (preset win64) elsewhere; scripts/can-run-32bit.sh finds out by trying, and
# VANTREL_NO_32BIT=1 chooses the 64-bit one anywhere.
# Without a display it runs the window on a virtual display (Xvfb), saves a screenshot once
# the window is shown, prints where the PNG is, and ends the program.
# VANTREL_BUILD_DIR chooses the build directory (default build/win32 or build/win64).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

if no_32bit_reason=$(bash scripts/can-run-32bit.sh); then
  preset=win32 wine=cmake/wine-run.sh
  build_dir=${VANTREL_BUILD_DIR:-build/win32}
  echo "run: the 32-bit Vantrel.exe ($build_dir/ui/Vantrel.exe), because this kernel runs 32-bit programs and the 32-bit Wine is installed" >&2
else
  preset=win64 wine=cmake/wine64-run.sh
  build_dir=${VANTREL_BUILD_DIR:-build/win64}
  forced=
  [ "${VANTREL_NO_32BIT:-}" != 1 ] || forced=" [forced by VANTREL_NO_32BIT=1]"
  echo "run: the 64-bit Vantrel.exe ($build_dir/ui/Vantrel.exe), because $no_32bit_reason$forced" >&2
fi
cmake --preset "$preset" -B "$build_dir" >/dev/null
cmake --build "$build_dir" --target Vantrel
program=$build_dir/ui/Vantrel.exe

# No display: a virtual one, a screenshot of the window, and the end. It must exist before
# Wine's server and services start: services started without a display make the first
# window's program end at once, without a word.
virtual=
if [ -z "${DISPLAY:-}" ]; then
  virtual=1
  number=57
  while [ -e "/tmp/.X11-unix/X$number" ] || [ -e "/tmp/.X$number-lock" ]; do number=$((number + 1)); done
  export DISPLAY=:$number
  Xvfb "$DISPLAY" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  program_pid=
  cleanup() {
    [ -n "$program_pid" ] && kill "$program_pid" 2>/dev/null || true
    kill "$xvfb_pid" 2>/dev/null || true
  }
  trap cleanup EXIT
  for _ in $(seq 1 50); do [ -e "/tmp/.X11-unix/X$number" ] && break; sleep 0.1; done
fi

# Wine's own words when it cannot start at all (the wrapper prints them).
if ! "$wine" --prepare; then
  echo "run: Vantrel.exe cannot be started, because Wine cannot start on this machine" >&2
  exit 1
fi

# Paths that exist on this machine are handed over as Windows paths (Z:\...).
args=()
for arg in "$@"; do
  if [ -e "$arg" ]; then
    args+=("$("$wine" winepath -w "$(realpath "$arg")" 2>/dev/null | tr -d '\r')")
  else
    args+=("$arg")
  fi
done

if [ -z "$virtual" ]; then
  exec "$wine" "$program" "${args[@]}"
fi


log=$build_dir/vantrel-run.log
"$wine" "$program" "${args[@]}" >"$log" 2>&1 &
program_pid=$!

# The first start in a new Wine prefix takes a while.
window=
for _ in $(seq 1 240); do
  window=$(xwininfo -root -tree 2>/dev/null | awk '/"Vantrel": \(/ {print $1; exit}')
  [ -n "$window" ] && break
  if ! kill -0 "$program_pid" 2>/dev/null; then
    {
      echo "run: Vantrel.exe ended before its window was shown. It said:"
      grep -v '^[[:space:]]*$' "$log" | head -n 5 | sed 's/^/  /'
      echo "  (all of it is in $log)"
    } >&2
    exit 1
  fi
  sleep 0.5
done
if [ -z "$window" ]; then
  echo "run: the Vantrel window did not appear within two minutes; see $log" >&2
  exit 1
fi
sleep 1  # let it paint

geometry=$(xwininfo -id "$window" | awk '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF}
  /Width:/ {w=$NF} /Height:/ {h=$NF} END {print w "x" h "+" x "+" y}')
mkdir -p "$build_dir/screenshots"
shot=$(realpath "$build_dir/screenshots")/vantrel-$(date +%Y%m%d-%H%M%S).png
import -window root -crop "$geometry" +repage "$shot"
echo "The Vantrel window ran on a virtual display ($DISPLAY); screenshot: $shot"
