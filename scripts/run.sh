#!/usr/bin/env bash
# Builds everything and starts a program under Wine, in a private prefix
# (build/wineprefix-run, or $WINEPREFIX when set):
#   scripts/run.sh            the Velmaro console
#   scripts/run.sh setup      Setup.exe from the distribution folder build/win/dist
#   scripts/run.sh uninstall  the installed Uninstall.exe, as the list of installed programs starts it
#   scripts/run.sh startup-bench [runs] [--shows] [--against TREE]...
#                             the start-up benchmark (tests/bench/startup_bench.cpp), figures on stdout
# Without a display it runs on a private Xvfb display, in Wine's virtual desktop
# so that the window has its frame and title bar, and saves a screenshot.
set -euo pipefail
source "$(dirname "$0")/common.sh"
program=${1:-console}
velmaro_install_prerequisites
velmaro_build host >/dev/null
velmaro_build win >/dev/null
[ "$program" != startup-bench ] || cmake --build "$velmaro_root/build/win" --target benchmarks >/dev/null

export WINEPREFIX=${WINEPREFIX:-$velmaro_root/build/wineprefix-run}
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
case $program in
  console) run=(wine "$velmaro_root/build/win/console/Velmaro.exe"); title=Velmaro; image=velmaro.exe ;;
  # From its own folder, as a user starts it after unpacking the distribution.
  setup) cd "$velmaro_root/build/win/dist"; run=(wine Setup.exe); title="Velmaro setup - Step 1"; image=setup.exe ;;
  uninstall) run=(wine uninstaller --remove "Velmaro 1.0"); title="Uninstall - Velmaro 1.0"; image=uninstall.exe ;;
  startup-bench) run=(wine "$velmaro_root/build/win/tests/startup_bench.exe" "$velmaro_root/build/win" "${@:2}") ;;
  *) echo "usage: $0 [console|setup|uninstall|startup-bench [runs] [--shows] [--against TREE]...]" >&2; exit 2 ;;
esac

if [ -n "${DISPLAY:-}" ]; then
  [ -f "$WINEPREFIX/system.reg" ] || wineboot -i >/dev/null 2>&1
  # A display has its own window manager: no virtual desktop from a headless run.
  wine reg delete 'HKCU\Software\Wine\Explorer' /v Desktop /f >/dev/null 2>&1 || true
  echo "Starting $program (Wine prefix $WINEPREFIX)"
  exec "${run[@]}"
fi

velmaro_start_xvfb
trap 'kill $velmaro_xvfb_pid 2>/dev/null || true' EXIT
if [ "$program" = startup-bench ]; then
  # Timed where window costs are a user's: the virtual desktop, not the null driver.
  status=0
  "${run[@]}" || status=$?
  wineserver -k >/dev/null 2>&1 || true
  exit $status
fi
"${run[@]}" >/dev/null 2>&1 &
started=$!
for _ in $(seq 1 100); do
  xwininfo -root -tree 2>/dev/null | grep -q "\"$title\": (\"$image\"" && break
  sleep 0.2
done
sleep 1
shot="$velmaro_root/build/${program/console/velmaro}-screen.png"
import -window root "$shot"
echo "No display here: $program runs on the virtual display $DISPLAY (Wine prefix $WINEPREFIX)."
echo "A screenshot of it is in $shot."
echo "To see it live, point a VNC server at that display (e.g. x11vnc -display $DISPLAY) or run"
echo "this command again where DISPLAY is set. It keeps running until it is closed."
wait $started
