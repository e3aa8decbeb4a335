#!/usr/bin/env bash
# The one test command: installs what is missing, builds every preset, runs every test.
#   scripts/test.sh            all presets
#   scripts/test.sh native     one preset (native, win32, win64, native-asan), package (the .deb and
#                              the Windows zip, built and checked: scripts/package.sh), or fuzz: every
#                              fuzz target for FUZZ_SECONDS (20 here) from its seed corpus
# Both Windows presets are always built. The win64 tests always run (under the 64-bit Wine);
# the win32 tests run where this machine runs 32-bit programs and the 32-bit Wine could be
# installed, which scripts/can-run-32bit.sh finds out by trying. VANTREL_NO_32BIT=1 takes any
# machine for one whose kernel cannot.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

presets=("$@")
[ ${#presets[@]} -gt 0 ] || presets=(native win32 win64 native-asan fuzz package)

no_32bit_reason=
if [[ " ${presets[*]} " == *" win32 "* ]]; then
  no_32bit_reason=$(bash scripts/can-run-32bit.sh) || true
fi

# Which Windows suites ran, in one line, said at the end whatever the outcome.
windows_asked=no
for preset in "${presets[@]}"; do
  case $preset in win32 | win64) windows_asked=yes ;; esac
done
windows_tested=()
windows_line() {
  [ "$windows_asked" = yes ] || return 0
  local ran=none
  case ${#windows_tested[@]} in
    0) ;;
    1) ran=${windows_tested[0]} ;;
    *) ran="${windows_tested[0]} and ${windows_tested[1]}" ;;
  esac
  local forced=
  [ "${VANTREL_NO_32BIT:-}" != 1 ] || forced=" [forced by VANTREL_NO_32BIT=1]"
  if [ -n "$no_32bit_reason" ] && [ "$built_only" = win32 ]; then
    echo "=== Windows suites run: $ran; $no_32bit_reason: the 32-bit build was built, its tests were not run$forced" >&2
  elif [ -n "$no_32bit_reason" ]; then
    echo "=== Windows suites run: $ran; $no_32bit_reason: the 32-bit tests were not run$forced" >&2
  elif [ "$ran" = "win32 and win64" ] || [ "$ran" = win32 ]; then
    echo "=== Windows suites run: $ran (this kernel runs 32-bit programs and the 32-bit Wine is installed)" >&2
  else
    echo "=== Windows suites run: $ran" >&2
  fi
}

# The Windows tests that open windows need a display; one virtual display serves the run.
xvfb_pid=
if [ -z "${DISPLAY:-}" ]; then
  display=:$((90 + RANDOM % 100))
  Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  export DISPLAY=$display
fi
finish() {
  [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null || true
  cmake/wine-run.sh --stop
  cmake/wine64-run.sh --stop
  windows_line
}
tested=()
built_only=
trap finish EXIT

for preset in "${presets[@]}"; do
  if [ "$preset" = fuzz ]; then
    echo "=== fuzz: every target for ${FUZZ_SECONDS:-20}s" >&2
    FUZZ_SECONDS=${FUZZ_SECONDS:-20} bash fuzz/run.sh
    tested+=(fuzz)
    continue
  fi
  if [ "$preset" = package ]; then
    echo "=== package: the .deb and the Windows zip, built and checked" >&2
    VANTREL_DEPS_READY=1 bash scripts/package.sh
    tested+=(package)
    continue
  fi
  if [ "$preset" = win32 ] && [ -n "$no_32bit_reason" ]; then
    echo "=== win32: configure, build (its tests are not run: $no_32bit_reason)" >&2
    cmake --preset win32 >/dev/null
    cmake --build --preset win32
    built_only=win32
    continue
  fi
  echo "=== $preset: configure, build, test" >&2
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  ctest --preset "$preset"
  case $preset in win32 | win64) windows_tested+=("$preset") ;; esac
  tested+=("$preset")
done
echo "=== all tests passed: ${tested[*]}${built_only:+ (built only: $built_only)}" >&2
