#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test on each display layout:
#   scripts/run-tests.sh [LAYOUT ...]   (default: single dual left)
# Environment: BUILD_DIR (default build), CTEST_ARGS (extra ctest arguments, e.g. -R name), RUN_DIR (where
# displays, Wine prefixes and test output go; default BUILD_DIR, so that two runs of one build can differ).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
run=${RUN_DIR:-$build}
layouts=("$@")
[ ${#layouts[@]} -gt 0 ] || layouts=(single dual left)

"$root/scripts/install-deps.sh"
BUILD_DIR=$build "$root/scripts/build.sh"

. "$root/scripts/session.sh"
trap qel_stop_all EXIT
status=0
for layout in "${layouts[@]}"; do
  echo "=== layout $layout"
  qel_start_display "$layout" "$run/displays/$layout"
  qel_start_wine "$layout" "$run/wine/$layout"
  export QEL_TEST_OUTPUT="$run/test-output/$layout"
  mkdir -p "$QEL_TEST_OUTPUT"
  # One test at a time: windows of one desktop talk to each other synchronously (activation, focus), so a
  # test process busy or asleep stalls the next one's windows for a minute.
  ctest --test-dir "$build" -L "^${layout}\$" --output-on-failure ${CTEST_ARGS:-} </dev/null || status=1
  qel_stop_all
done
exit $status
