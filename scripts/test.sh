#!/usr/bin/env bash
# Builds both trees and runs every suite: native (host) and, under Wine in a
# private prefix, the contract and end-to-end tests (win). Exits non-zero when
# anything fails.
set -uo pipefail
source "$(dirname "$0")/common.sh"
velmaro_install_prerequisites || exit 1

status=0
start=$(date +%s)

echo "== host build"
velmaro_build host || exit 1
echo "== win build"
velmaro_build win || exit 1
echo "== sanitizer build"
velmaro_build asan || exit 1
echo "== fuzz build"
velmaro_build fuzz || exit 1

echo "== native suites"
ctest --test-dir "$velmaro_root/build/host" -j"$(nproc)" --output-on-failure || status=1
echo "== native suites under AddressSanitizer and UndefinedBehaviorSanitizer"
# One run of the whole program: any finding ends it with a non-zero code.
ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 UBSAN_OPTIONS=print_stacktrace=1 \
  "$velmaro_root/build/asan/tests/velmaro_native_tests" --gtest_brief=1 || status=1
echo "== fuzz smoke (${VELMARO_FUZZ_SECONDS:=10} s a target)"
velmaro_fuzz "$VELMARO_FUZZ_SECONDS" || status=1

prefix=${VELMARO_TEST_WINEPREFIX:-$velmaro_root/build/wineprefix-test}
echo "== Wine suites (prefix $prefix)"
velmaro_prepare_prefix "$prefix"
# Verbose: each Wine program prints its own summary (a few lines each).
ctest --test-dir "$velmaro_root/build/win" -j"$(nproc)" -V 2>&1 | grep -vE "^(UpdateCTestConfiguration|Parse Config|Add Test|Constructing|Checking test|Test command|Test timeout|Updating test list|Internal ctest)" || status=1
velmaro_stop_prefix "$prefix"
velmaro_stop_prefix "$velmaro_root/build/wineprefix-test-144dpi"
velmaro_stop_prefix "$velmaro_root/build/wineprefix-test-mouse"

echo "== all suites done in $(( $(date +%s) - start )) s: $([ $status -eq 0 ] && echo passed || echo FAILED)"
exit $status
