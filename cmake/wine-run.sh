#!/usr/bin/env bash
# Runs a Windows program under Wine in a prefix of its own inside the build tree.
# Used by ctest (CMAKE_CROSSCOMPILING_EMULATOR) and by the scripts; safe to call in parallel.
#
# The prefix is made once, with the settings the tests rely on. One wineserver is kept
# running with its descriptors closed: a server started implicitly by the first test would
# inherit ctest's output pipe and keep it open after the tests end. `wine-run.sh --stop`
# ends that server.
set -euo pipefail

: "${VANTREL_WINEPREFIX:=$(cd "$(dirname "$0")/.." && pwd)/build/wineprefix}"
export WINEPREFIX=$VANTREL_WINEPREFIX
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}

if [ "${1:-}" = "--stop" ]; then
  if [ -d "$WINEPREFIX" ]; then
    wineserver -k 2>/dev/null || true
    wineserver -w 2>/dev/null || true  # a new program must not meet the server on its way out
  fi
  rm -f "$WINEPREFIX.server"
  exit 0
fi

prepare_prefix() {
  mkdir -p "$(dirname "$WINEPREFIX")"
  exec 9>"$WINEPREFIX.lock"
  flock 9
  if [ ! -f "$WINEPREFIX/.vantrel-ready" ]; then
    wineboot -i >"$WINEPREFIX.log" 2>&1 </dev/null || true
    # Without a window manager Wine waits ~2 s each time a window hides; unmanaged windows don't.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >>"$WINEPREFIX.log" 2>&1 </dev/null || true
    wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 微软雅黑 /d 'WenQuanYi Micro Hei' /f \
      >>"$WINEPREFIX.log" 2>&1 </dev/null || true
    # Caption buttons are drawn with the Marlett font, which Debian ships apart from Wine.
    if [ -f /usr/share/wine/fonts/marlett.ttf ]; then
      cp /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
    fi
    wineserver -w
    touch "$WINEPREFIX/.vantrel-ready"
  fi
  # A persistent server with no inherited descriptors. When one already serves this prefix
  # the new one sees it and exits at once.
  if [ ! -f "$WINEPREFIX.server" ] || ! kill -0 "$(cat "$WINEPREFIX.server")" 2>/dev/null; then
    setsid wineserver -f -p </dev/null >/dev/null 2>&1 9>&- &
    echo $! >"$WINEPREFIX.server"
    # The first program of a session starts Wine's services (services.exe, rpcss, ...), which
    # live on with the server. Start them here, detached, or they inherit the caller's pipes.
    setsid wine cmd /c exit </dev/null >/dev/null 2>&1 9>&-
  fi
  flock -u 9
  exec 9>&-
}

prepare_prefix
exec wine "$@"
