#!/usr/bin/env bash
# Runs every fuzz target long: scripts/fuzz.sh [seconds per target, default 600].
# Findings (crash-*, leak-*) are written to build/fuzz; new inputs to
# build/fuzz/corpus/<target>.
set -uo pipefail
source "$(dirname "$0")/common.sh"
velmaro_install_prerequisites || exit 1
velmaro_build fuzz || exit 1
velmaro_fuzz "${1:-600}"
