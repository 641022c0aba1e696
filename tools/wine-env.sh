#!/usr/bin/env bash
# Sourced: sets up the private Wine prefix and a headless X server for one build folder.
#   source tools/wine-env.sh BUILD_DIR [headless]
# Creates the prefix once (32-bit, unmanaged windows so that hiding a window is
# instant and keys reach the focused window), starts Xvfb when asked or when
# there is no display, and starts a persistent wineserver so that each program
# start is quick.
_build="$(cd "$1" && pwd)"
export WINEPREFIX="$_build/wineprefix"
export WINEARCH=win32
export WINEDEBUG=-all
# No menu entries or desktop files for the host from shortcuts made in the prefix.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

if [ "${2:-}" = headless ] || [ -z "${DISPLAY:-}" ]; then
  _disp=$(( 90 + ($$ % 100) ))
  while [ -e "/tmp/.X${_disp}-lock" ]; do _disp=$((_disp + 1)); done
  Xvfb ":${_disp}" -screen 0 1600x1200x24 -nolisten tcp >/dev/null 2>&1 &
  export LOOPSMITH_XVFB_PID=$!
  export DISPLAY=":${_disp}"
  for _i in $(seq 1 50); do [ -e "/tmp/.X11-unix/X${_disp}" ] && break; sleep 0.1; done
fi

if [ ! -f "$WINEPREFIX/.loopsmith-ready" ]; then
  echo "wine-env: creating Wine prefix in $WINEPREFIX"
  rm -rf "$WINEPREFIX"
  wineboot -i >/dev/null 2>&1 </dev/null
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1 </dev/null
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /t REG_SZ /d Y /f >/dev/null 2>&1 </dev/null
  wineserver -w
  touch "$WINEPREFIX/.loopsmith-ready"
fi
# Wine's own caption-button and dialog fonts, where the distribution keeps them
# outside the prefix: without Marlett the title bar buttons show letters.
if [ -d /usr/share/wine/fonts ] && [ ! -f "$WINEPREFIX/drive_c/windows/Fonts/marlett.ttf" ]; then
  cp /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
fi
# A detached persistent server and one finished start keep later starts fast.
wineserver -p300 </dev/null >/dev/null 2>&1 &
wine cmd /c exit </dev/null >/dev/null 2>&1

loopsmith_wine_cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  if [ -n "${LOOPSMITH_XVFB_PID:-}" ]; then kill "$LOOPSMITH_XVFB_PID" 2>/dev/null || true; fi
}
