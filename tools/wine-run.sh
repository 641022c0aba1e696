#!/usr/bin/env bash
# Runs a Windows program under Wine in the build folder's private prefix.
# Used as CTest's emulator and by the Makefile. WINEPREFIX must point into the
# build folder (tools/wine-env.sh sets it); the user's ~/.wine is never touched.
set -u
if [ -z "${WINEPREFIX:-}" ]; then
  echo "wine-run.sh: WINEPREFIX is not set (run through make)" >&2
  exit 2
fi
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
exe="$1"; shift
# Run from the program's own folder so that its libraries are found beside it.
cd "$(dirname "$exe")"
exec wine "$exe" "$@"
