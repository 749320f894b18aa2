#!/usr/bin/env bash
# Takes the screenshots under docs/screenshots: the console's main window,
# each panel, the options dialog, the Add/Remove dialog and our icon picker,
# Setup's six pages and Uninstall's window, as the default Wine driver draws
# them on a private Xvfb display. Run after a build (scripts/test.sh). The
# editors' shots put a few sample entries into the screenshots' own prefix
# first.
#
# With VELMARO_DPI set (144, say) the display has that many dots per inch
# (Wine's LogPixels) and a screen large enough for the scaled windows, and
# the shots go to build/screenshots-<dpi> instead, for checking by eye.
set -euo pipefail
source "$(dirname "$0")/common.sh"
velmaro_install_prerequisites
dpi=${VELMARO_DPI:-96}
if [ "$dpi" = 96 ]; then
  out="$velmaro_root/docs/screenshots"
  export WINEPREFIX="$velmaro_root/build/wineprefix-screens"
else
  out="$velmaro_root/build/screenshots-$dpi"
  export WINEPREFIX="$velmaro_root/build/wineprefix-screens-$dpi"
  export VELMARO_SCREEN=${VELMARO_SCREEN:-$((1024 * dpi / 96))x$((768 * dpi / 96))x24}
fi
mkdir -p "$out"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
velmaro_start_xvfb
trap 'wineserver -k >/dev/null 2>&1 || true; kill $velmaro_xvfb_pid 2>/dev/null || true' EXIT
if [ "$dpi" != 96 ]; then
  # Under Wine 8 the user's value wins over the machine's (Hardware Profiles).
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
  wineserver -k >/dev/null 2>&1 || true
fi
# The geometry of the largest window of a program ($2, velmaro.exe unless
# given) with this title: the splash shares the main window's title and is
# smaller.
geometry_of() {
  xwininfo -root -tree | grep "\"$1\": (\"${2:-velmaro.exe}\"" |
    grep -oE '[0-9]+x[0-9]+\+[0-9]+\+[0-9]+' |
    awk -Fx '{split($2, rest, "+"); print $1 * rest[1], $0}' | sort -n | tail -1 | cut -d' ' -f2
}

# $1 = what to show, $2 = file name, $3 = window title to crop to; then the
# driver (console_e2e unless given) and the program's file name.
shot() {
  local driver="$velmaro_root/build/win/tests/${4:-console_e2e}.exe"
  wine "$driver" "$velmaro_root/build/win" --show "$1" >/dev/null 2>&1 || true
  sleep 1
  local geometry
  geometry=$(geometry_of "$3" "${5:-velmaro.exe}")
  import -window root ${geometry:+-crop "$geometry"} "$out/$2.png"
  wineserver -k >/dev/null 2>&1 || true
  sleep 1
}

shot Velmaro main-window Velmaro
for category in "Windows" "Misc. tweaks" "Mouse" "Explorer" "More Explorer tweaks" "Start Menu" "General"; do
  shot "$category" "panel-$(echo "$category" | tr 'A-Z .' 'a-z-' | tr -s '-')" Velmaro
done
shot Spared apply-spared Velmaro
shot "Change Icons" panel-change-icons Velmaro editors_e2e
shot "Add/Remove" panel-add-remove Velmaro editors_e2e
shot "StartUp Applications" panel-startup-applications Velmaro editors_e2e
shot EditNewIt edit-new-it "Create new add/remove item" editors_e2e
shot IconPicker icon-picker "Change Icon" editors_e2e
shot Options options-dialog Options
shot Import import-preview Confirmation import_e2e
shot Help whats-this Velmaro
for page in 1 2 3 4 5 6; do
  shot "$page" "setup-step-$page" "Velmaro setup - Step $page" lifecycle_e2e setup.exe
done
shot uninstall uninstall "Uninstall - Velmaro 1.0" lifecycle_e2e uninstall.exe
echo "Screenshots in $out"
