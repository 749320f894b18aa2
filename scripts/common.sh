# Shared by the README commands: find or install what the build needs.
# shellcheck shell=bash

velmaro_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# Debian packages the builds and the Wine runs need.
velmaro_packages=(cmake make g++ googletest mingw-w64 wine wine64 xvfb x11-utils imagemagick
  clang-14 libclang-rt-14-dev)

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

# Configures and builds one tree: $1 = host, win, asan (the native suites
# under the sanitizers) or fuzz (the libFuzzer targets, built with clang).
velmaro_build() {
  local kind=$1 dir="$velmaro_root/build/$1"
  # Optimisation where it pays: the shipped programs are optimised (and
  # carry no debug sections); the trees that only run tests compile fast.
  local args=(-S "$velmaro_root" -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo)
  local build=(--build "$dir" -j"$(nproc)")
  case "$kind" in
    host) args+=(-DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O0 -g1") ;;
    win) args+=(-DCMAKE_TOOLCHAIN_FILE="$velmaro_root/cmake/mingw-w64.cmake"
                -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2" -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O2") ;;
    asan) args+=(-DVELMARO_SANITIZE=ON -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1")
          build+=(--target velmaro_native_tests) ;;
    fuzz) args+=(-DVELMARO_FUZZ=ON -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14
                 -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1")
          build+=(--target velmaro_fuzzers) ;;
  esac
  cmake "${args[@]}" >/dev/null
  cmake "${build[@]}"
}

# Runs every fuzz target for $1 seconds on its committed seeds; new inputs go
# to a scratch folder so the seeds stay as committed. Non-zero on a finding.
velmaro_fuzz() {
  local seconds=$1 status=0 target name scratch
  for target in "$velmaro_root"/build/fuzz/tests/fuzz/*_fuzz; do
    name=$(basename "$target" _fuzz)
    scratch="$velmaro_root/build/fuzz/corpus/$name"
    mkdir -p "$scratch"
    echo "-- fuzz $name (${seconds} s)"
    if ! (cd "$velmaro_root/build/fuzz" && "$target" -max_total_time="$seconds" -print_final_stats=1 \
          "$scratch" "$velmaro_root/tests/fuzz/corpus/$name" 2>&1 |
          grep -E "^(stat::number_of_executed_units|stat::peak_rss|#[0-9]+ +DONE)|invariant broken|ERROR|SUMMARY"); then
      :
    fi
    [ "${PIPESTATUS[0]}" = 0 ] || status=1
  done
  return $status
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
  velmaro_virtual_desktop
}

# Nothing manages windows on a bare Xvfb display: they show without frame or
# title bar. Wine's own virtual desktop, as large as the screen, draws them as
# a Windows desktop does; the prefix keeps it for every program it starts.
velmaro_virtual_desktop() {
  local screen=${VELMARO_SCREEN:-1024x768x24}
  wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d "${screen%x*}" /f \
    >/dev/null 2>&1
  # The caption buttons' glyphs come from Marlett, which a new prefix lacks.
  local marlett=/usr/share/wine/fonts/marlett.ttf fonts="$WINEPREFIX/drive_c/windows/Fonts"
  [ ! -f "$marlett" ] || [ -f "$fonts/marlett.ttf" ] || cp "$marlett" "$fonts/"
  # The desktop is chosen when the prefix's session starts.
  wineserver -k >/dev/null 2>&1 || true
}
