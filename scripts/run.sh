#!/usr/bin/env bash
# Builds everything and starts the Velmaro console under Wine, in a private
# prefix (build/wineprefix-run, or $WINEPREFIX when set). Without a display it
# runs on a private Xvfb display and saves a screenshot to look at.
set -euo pipefail
source "$(dirname "$0")/common.sh"
velmaro_install_prerequisites
velmaro_build host >/dev/null
velmaro_build win >/dev/null

export WINEPREFIX=${WINEPREFIX:-$velmaro_root/build/wineprefix-run}
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
exe="$velmaro_root/build/win/console/Velmaro.exe"

if [ -n "${DISPLAY:-}" ]; then
  [ -f "$WINEPREFIX/system.reg" ] || wineboot -i >/dev/null 2>&1
  echo "Starting Velmaro (Wine prefix $WINEPREFIX)"
  exec wine "$exe"
fi

velmaro_start_xvfb
trap 'kill $velmaro_xvfb_pid 2>/dev/null || true' EXIT
wine "$exe" >/dev/null 2>&1 &
console=$!
for _ in $(seq 1 100); do
  xwininfo -root -tree 2>/dev/null | grep -q '"Velmaro": ("velmaro.exe"' && break
  sleep 0.2
done
sleep 1
shot="$velmaro_root/build/velmaro-screen.png"
import -window root "$shot"
echo "No display here: Velmaro runs on the virtual display $DISPLAY (Wine prefix $WINEPREFIX)."
echo "A screenshot of it is in $shot."
echo "To see it live, point a VNC server at that display (e.g. x11vnc -display $DISPLAY) or run"
echo "this command again where DISPLAY is set. Velmaro keeps running until it is closed."
wait $console
