#!/usr/bin/env bash
# Takes the screenshots under docs/screenshots: the console's main window,
# each switch-tweak panel and the options dialog, as the default Wine driver
# draws them on a private Xvfb display. Run after a build (scripts/test.sh).
set -euo pipefail
source "$(dirname "$0")/common.sh"
velmaro_install_prerequisites
out="$velmaro_root/docs/screenshots"
mkdir -p "$out"
export WINEPREFIX="$velmaro_root/build/wineprefix-screens" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
velmaro_start_xvfb
trap 'wineserver -k >/dev/null 2>&1 || true; kill $velmaro_xvfb_pid 2>/dev/null || true' EXIT
driver="$velmaro_root/build/win/tests/console_e2e.exe"

shot() {  # $1 = what to show, $2 = file name, $3 = window title to crop to
  wine "$driver" "$velmaro_root/build/win" --show "$1" >/dev/null 2>&1 || true
  sleep 1
  local geometry
  geometry=$(xwininfo -root -tree | grep "\"$3\": (\"velmaro.exe\"" | grep -v '323x153' | head -1 |
             grep -oE '[0-9]+x[0-9]+\+[0-9]+\+[0-9]+' | head -1)
  import -window root ${geometry:+-crop "$geometry"} "$out/$2.png"
  wineserver -k >/dev/null 2>&1 || true
  sleep 1
}

shot Velmaro main-window Velmaro
for category in "Windows" "Misc. tweaks" "Explorer" "More Explorer tweaks" "Start Menu" "General"; do
  shot "$category" "panel-$(echo "$category" | tr 'A-Z .' 'a-z-' | tr -s '-')" Velmaro
done
shot Options options-dialog Options
shot Help whats-this Velmaro
echo "Screenshots in $out"
