#!/usr/bin/env bash
# The one test command: installs what is missing, builds every preset, runs every test.
#   scripts/test.sh            all presets
#   scripts/test.sh native     one preset (native, win32, native-asan)
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

presets=("$@")
[ ${#presets[@]} -gt 0 ] || presets=(native win32 native-asan)

# The Windows tests that open windows need a display; one virtual display serves the run.
if [ -z "${DISPLAY:-}" ]; then
  display=:$((90 + RANDOM % 100))
  Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  export DISPLAY=$display
  trap 'kill $xvfb_pid 2>/dev/null || true; cmake/wine-run.sh --stop' EXIT
else
  trap 'cmake/wine-run.sh --stop' EXIT
fi

for preset in "${presets[@]}"; do
  echo "=== $preset: configure, build, test" >&2
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  ctest --preset "$preset"
done
echo "=== all tests passed: ${presets[*]}" >&2
