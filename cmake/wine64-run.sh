#!/usr/bin/env bash
# Runs a 64-bit Windows program under the 64-bit Wine loader, in its own 64-bit prefix
# (build/wineprefix64). It needs no 32-bit support from the kernel. Same use as wine-run.sh.
VANTREL_WINE_ARCH=win64 exec "$(dirname "$0")/wine-run.sh" "$@"
