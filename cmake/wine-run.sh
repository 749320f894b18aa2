#!/bin/sh
# Runs a Windows program under Wine for ctest: private prefix, null graphics
# driver, and a wineserver started detached from ctest's pipes (otherwise ctest
# waits for the server and its services to close their inherited stderr).
# VELMARO_LOGPIXELS gives a new prefix a display of that many dots per inch.
set -e
: "${WINEPREFIX:=$(cd "$(dirname "$0")/.." && pwd)/build/wineprefix}"
export WINEPREFIX
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$WINEPREFIX"
  wineboot -i </dev/null >/dev/null 2>&1 || true
  wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f </dev/null >/dev/null 2>&1
  # A program that crashes must end with its backtrace on stderr: the crash
  # dialog, invisible without a display, would hold the test until its timeout.
  wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f \
    </dev/null >/dev/null 2>&1
  if [ -n "${VELMARO_LOGPIXELS:-}" ]; then
    wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$VELMARO_LOGPIXELS" /f \
      </dev/null >/dev/null 2>&1
  fi
  # The session wineboot started still has the display driver it began with
  # and cannot create windows without a display: start afresh with null.
  wineserver -k </dev/null >/dev/null 2>&1 || true
fi
wineserver -p </dev/null >/dev/null 2>&1 || true
wine wineboot </dev/null >/dev/null 2>&1 || true
exec wine "$@"
