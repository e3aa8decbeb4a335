#!/usr/bin/env bash
# The one test command: installs what is missing, builds every preset, runs every test.
#   scripts/test.sh            all presets
#   scripts/test.sh native     one preset (native, win32, native-asan), or fuzz: every fuzz
#                              target for FUZZ_SECONDS (20 here) from its seed corpus
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

presets=("$@")
[ ${#presets[@]} -gt 0 ] || presets=(native win32 native-asan fuzz)

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
  if [ "$preset" = fuzz ]; then
    echo "=== fuzz: every target for ${FUZZ_SECONDS:-20}s" >&2
    FUZZ_SECONDS=${FUZZ_SECONDS:-20} bash fuzz/run.sh
    continue
  fi
  echo "=== $preset: configure, build, test" >&2
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  ctest --preset "$preset"
done
echo "=== all tests passed: ${presets[*]}" >&2
