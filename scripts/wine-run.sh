#!/usr/bin/env bash
# Runs a Windows program of the cross build under Wine: the emulator that
# cmake/x86_64-w64-mingw32.cmake names for ctest, the tests' discovery and the
# scripts that start the program. Quiet (WINEDEBUG=-all) and in its own Wine
# prefix, made on first use beside the cached Qt:
#   ${TEILOMAT_WINDOWS_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/teilomat-windows}/wine-prefix
# A WINEPREFIX set by the caller wins. Wine asks for neither Mono nor Gecko,
# which a Qt program does not need, and adds no entries to this machine's
# desktop menus for the shortcuts an installer makes.
#   scripts/wine-run.sh PROGRAM.exe [ARGUMENT...]
#   scripts/wine-run.sh --prefix        prints the prefix's folder
set -euo pipefail
export WINEDEBUG=${WINEDEBUG:--all}
export WINEPREFIX=${WINEPREFIX:-${TEILOMAT_WINDOWS_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/teilomat-windows}/wine-prefix}
[ "${1:-}" = --prefix ] && { echo "$WINEPREFIX"; exit 0; }
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml,winemenubuilder.exe=}
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$WINEPREFIX"
  wine wineboot -i >/dev/null 2>&1 || true
fi
exec wine "$@"
