#!/usr/bin/env bash
# Runs a Windows program under Wine in a prefix of its own inside the build tree.
# Used by ctest (CMAKE_CROSSCOMPILING_EMULATOR) and by the scripts; safe to call in parallel.
#   wine-run.sh PROGRAM [ARG...]   run a program
#   wine-run.sh --prepare          only make the prefix and start its server
#   wine-run.sh --stop             end the prefix's server
# VANTREL_WINE_ARCH chooses the Wine: win32 (default; Debian's `wine`, which picks the 32-bit
# loader) or win64 (the 64-bit loader, which runs on kernels without 32-bit emulation, in a
# prefix of its own). cmake/wine64-run.sh is this script with win64 chosen.
#
# The prefix is made once, with the settings the tests rely on. One wineserver is kept
# running with its descriptors closed: a server started implicitly by the first test would
# inherit ctest's output pipe and keep it open after the tests end.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
loader_prefix=()
case "${VANTREL_WINE_ARCH:-win32}" in
  win32)
    # The 32-bit loader itself: Debian's `wine` falls back to the 64-bit one when the 32-bit
    # Wine is missing, which would make a 64-bit prefix here and fail every 32-bit program.
    loader=/usr/lib/wine/wine
    label="32-bit Wine ($loader)"
    export WINEARCH=win32
    : "${VANTREL_WINEPREFIX:=$root/build/wineprefix}"
    ;;
  win64)
    loader=/usr/lib/wine/wine64
    label="64-bit Wine ($loader)"
    export WINELOADER=$loader WINEARCH=win64
    : "${VANTREL_WINEPREFIX:=$root/build/wineprefix64}"
    # Debian's Wine has no preloader to hold the fixed Windows addresses (the shared user
    # data at 0x7FFE0000) before the C library's heap is placed, and for a 64-bit program the
    # kernel puts that heap anywhere in the 1 GiB above the loader (0x7D000000). About one
    # start in a few thousand then finds the address taken and ends before it runs ("failed
    # to map the shared user data: c0000018"). Without address randomization, which every
    # Wine process started from here inherits, the heap starts just above the loader.
    if setarch x86_64 -R true 2>/dev/null; then
      loader_prefix=(setarch x86_64 -R)
    fi
    ;;
  *)
    echo "wine-run: VANTREL_WINE_ARCH must be win32 or win64, not '$VANTREL_WINE_ARCH'" >&2
    exit 2
    ;;
esac
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

# Makes the prefix; when Wine cannot start at all, says so with the first lines Wine wrote.
make_prefix() {
  local log=$WINEPREFIX.log
  if ! "${loader_prefix[@]}" "$loader" wineboot -i >"$log" 2>&1 </dev/null; then
    wine_failed "$log"
    return 1
  fi
  # Without a window manager Wine waits ~2 s each time a window hides; unmanaged windows don't.
  "${loader_prefix[@]}" "$loader" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >>"$log" 2>&1 </dev/null || true
  "${loader_prefix[@]}" "$loader" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 微软雅黑 /d 'WenQuanYi Micro Hei' /f \
    >>"$log" 2>&1 </dev/null || true
  # Caption buttons are drawn with the Marlett font, which Debian ships apart from Wine.
  if [ -f /usr/share/wine/fonts/marlett.ttf ]; then
    cp /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
  fi
  wineserver -w  # the server writes the registry files as it ends
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    wine_failed "$log"
    return 1
  fi
  touch "$WINEPREFIX/.vantrel-ready"
}

wine_failed() {
  {
    echo "wine-run: the $label could not start, so no Windows program can run here. Wine said:"
    grep -v '^[[:space:]]*$' "$1" | head -n 5 | sed 's/^/  /'
    echo "  (all of it is in $1)"
  } >&2
}

# A prefix is kept only when it is whole and of this Wine's kind. One made while only the
# 64-bit Wine was installed is a 64-bit prefix, in which the 32-bit Wine loads nothing
# ("could not load kernel32.dll"); one whose making was cut short lacks the ready mark.
check_prefix() {
  [ -d "$WINEPREFIX" ] || return 0
  local why=
  if [ ! -f "$WINEPREFIX/.vantrel-ready" ]; then
    why="a start that failed left it half made"
  elif ! grep -qx "#arch=$WINEARCH" "$WINEPREFIX/system.reg" 2>/dev/null; then
    local kind
    kind=$(sed -n 's/^#arch=//p' "$WINEPREFIX/system.reg" 2>/dev/null | head -n 1)
    why="it is ${kind:+a $kind prefix, }not a $WINEARCH prefix"
  fi
  [ -n "$why" ] || return 0
  echo "wine-run: making the Wine prefix $WINEPREFIX anew: $why" >&2
  wineserver -k 2>/dev/null || true
  rm -rf "$WINEPREFIX" "$WINEPREFIX.server"
}

prepare_prefix() {
  mkdir -p "$(dirname "$WINEPREFIX")"
  exec 9>"$WINEPREFIX.lock"
  flock 9
  check_prefix
  if [ ! -f "$WINEPREFIX/.vantrel-ready" ]; then
    make_prefix || exit 1
  fi
  # A persistent server with no inherited descriptors. When one already serves this prefix
  # the new one sees it and exits at once.
  if [ ! -f "$WINEPREFIX.server" ] || ! kill -0 "$(cat "$WINEPREFIX.server")" 2>/dev/null; then
    setsid wineserver -f -p </dev/null >/dev/null 2>&1 9>&- &
    echo $! >"$WINEPREFIX.server"
    # The first program of a session starts Wine's services (services.exe, rpcss, ...), which
    # live on with the server. Start them here, detached, or they inherit the caller's pipes.
    setsid "${loader_prefix[@]}" "$loader" cmd /c exit </dev/null >/dev/null 2>&1 9>&-
  fi
  flock -u 9
  exec 9>&-
}

prepare_prefix
[ "${1:-}" = "--prepare" ] && exit 0
exec "${loader_prefix[@]}" "$loader" "$@"
