# Shared by the README commands: find or install what the build needs.
# shellcheck shell=bash

velmaro_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# Debian packages the builds and the Wine runs need.
velmaro_packages=(cmake make g++ googletest mingw-w64 wine wine64 xvfb x11-utils imagemagick)

velmaro_install_prerequisites() {
  local missing=()
  for p in "${velmaro_packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  if [ "$(id -u)" -eq 0 ]; then
    echo "Installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq "${missing[@]}" >/dev/null
  else
    echo "Missing packages: ${missing[*]}" >&2
    echo "Install them with: sudo apt-get install ${missing[*]}" >&2
    exit 1
  fi
}

# Configures and builds one tree: $1 = host or win.
velmaro_build() {
  local kind=$1 dir="$velmaro_root/build/$1"
  local args=(-S "$velmaro_root" -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo)
  [ "$kind" = win ] && args+=(-DCMAKE_TOOLCHAIN_FILE="$velmaro_root/cmake/mingw-w64.cmake")
  cmake "${args[@]}" >/dev/null
  cmake --build "$dir" -j"$(nproc)"
}

# A private Wine prefix, ready before anything runs in parallel in it.
velmaro_prepare_prefix() {
  export WINEPREFIX=$1 WINEDEBUG=-all
  "$velmaro_root/cmake/wine-run.sh" cmd /c exit </dev/null >/dev/null 2>&1 || true
}

velmaro_stop_prefix() {
  WINEPREFIX=$1 wineserver -k >/dev/null 2>&1 || true
}

# A private virtual display for Wine's default driver: sets DISPLAY and
# velmaro_xvfb_pid, and makes the prefix in $WINEPREFIX if it is missing.
# A free display number is picked so that two runs do not meet. The screen is
# $VELMARO_SCREEN (width x height x depth), 1024x768x24 unless set.
velmaro_start_xvfb() {
  local n
  for n in $(seq 100 199); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] || break
  done
  Xvfb ":$n" -screen 0 "${VELMARO_SCREEN:-1024x768x24}" >/dev/null 2>&1 &
  velmaro_xvfb_pid=$!
  export DISPLAY=":$n"
  sleep 1
  [ -f "$WINEPREFIX/system.reg" ] || wineboot -i >/dev/null 2>&1
}
