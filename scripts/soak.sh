#!/usr/bin/env bash
# Repeats every kind of capture in one process many times and checks that nothing is left behind:
#   scripts/soak.sh [CALLS [INTERACTIVE_CALLS]]   (default 10000 of each non-interactive kind, 500 of each interactive one)
# Builds the leak test, starts a display and a Wine prefix of its own (under RUN_DIR, default BUILD_DIR/soak)
# and stops what it started. Each kind's figures are printed and kept in RUN_DIR/test-output/single/soak.xml.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
run=${RUN_DIR:-$build/soak}
calls=${1:-10000}
interactive=${2:-500}

"$root/scripts/install-deps.sh"
BUILD_DIR=$build "$root/scripts/build.sh" capture_leak_tests

. "$root/scripts/session.sh"
trap qel_stop_all EXIT
qel_start_display single "$run/displays/single"
qel_start_wine single "$run/wine/single"
export QEL_LAYOUT=single QEL_TEST_OUTPUT="$run/test-output/single" QEL_SOAK_CALLS="$calls,$interactive"
mkdir -p "$QEL_TEST_OUTPUT"
cd "$build/bin"
qel_wine ./capture_leak_tests.exe --gtest_color=no --gtest_output="xml:$QEL_TEST_OUTPUT/soak.xml" </dev/null
