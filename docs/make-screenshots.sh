#!/usr/bin/env bash
# Makes the README's screenshots of the real Vantrel window on a virtual display, with the
# ANSI code page 936 (zh_CN.UTF-8), so the "ASCII" form of a Chinese text is its GBK bytes.
#   bash docs/make-screenshots.sh [BUILD_DIR]      (default build/win32, or build/win64 where
#                                                   32-bit programs cannot run)
set -euo pipefail
cd "$(dirname "$0")/.."
if bash scripts/can-run-32bit.sh >/dev/null; then
  preset=win32 wine=cmake/wine-run.sh
else
  preset=win64 wine=cmake/wine64-run.sh
fi
build_dir=${1:-build/$preset}
cmake --preset "$preset" -B "$build_dir" >/dev/null
cmake --build "$build_dir" --target Vantrel vantrel_set_box_text

number=57
while [ -e "/tmp/.X11-unix/X$number" ] || [ -e "/tmp/.X$number-lock" ]; do number=$((number + 1)); done
export DISPLAY=:$number LC_ALL=zh_CN.UTF-8
Xvfb "$DISPLAY" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
program_pid=
trap '[ -n "$program_pid" ] && kill $program_pid 2>/dev/null; kill $xvfb_pid 2>/dev/null || true' EXIT
for _ in $(seq 1 50); do [ -e "/tmp/.X11-unix/X$number" ] && break; sleep 0.1; done

"$wine" "$build_dir/ui/Vantrel.exe" >/dev/null 2>&1 &
program_pid=$!
window=
for _ in $(seq 1 240); do
  window=$(xwininfo -root -tree 2>/dev/null | awk '/"Vantrel": \(/ {print $1; exit}')
  [ -n "$window" ] && break
  sleep 0.5
done
[ -n "$window" ] || { echo "make-screenshots: no Vantrel window" >&2; exit 1; }

shoot() {
  sleep 1
  local geometry
  geometry=$(xwininfo -id "$window" | awk '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF}
    /Width:/ {w=$NF} /Height:/ {h=$NF} END {print w "x" h "+" x "+" y}')
  import -window root -crop "$geometry" +repage "$1"
  echo "wrote $1"
}
set_box() { "$wine" "$build_dir/tests/ui/vantrel_set_box_text.exe" "$1" "$2"; }

shoot docs/vantrel-window.png
set_box 1012 'C:\数据\example.bin'
set_box 1000 '中文'
set_box 1009 '汉字'
shoot docs/vantrel-chinese.png
