#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test on each display layout:
#   scripts/run-tests.sh [LAYOUT ...]   (default: single dual left)
# Run without layouts (as CI runs it), it first runs the native part once: the pure code's unit tests under
# AddressSanitizer and UndefinedBehaviorSanitizer (scripts/native-tests.sh) and a short fuzz run of every
# target (scripts/fuzz.sh, QEL_FUZZ_SECONDS each, default 20). With layouts named it does not, unless QEL_NATIVE=1;
# QEL_NATIVE=0 leaves it out always.
# Environment: BUILD_DIR (default build), CTEST_ARGS (extra ctest arguments, e.g. -R name), RUN_DIR (where
# displays, Wine prefixes and test output go; default BUILD_DIR, so that two runs of one build can differ),
# NATIVE_BUILD_DIR (default build-native).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
run=${RUN_DIR:-$build}
layouts=("$@")
native=${QEL_NATIVE:-}
[ -n "$native" ] || { [ ${#layouts[@]} -eq 0 ] && native=1 || native=0; }
[ ${#layouts[@]} -gt 0 ] || layouts=(single dual left)

"$root/scripts/install-deps.sh"

status=0
if [ "$native" = 1 ]; then
  echo "=== native: sanitizer tests, then ${QEL_FUZZ_SECONDS:-20} s of fuzzing per target"
  started=$SECONDS
  "$root/scripts/native-tests.sh" || status=1
  "$root/scripts/fuzz.sh" "${QEL_FUZZ_SECONDS:-20}" || status=1
  echo "=== native part took $((SECONDS - started)) s (build, tests and fuzzing)"
fi

started=$SECONDS
BUILD_DIR=$build "$root/scripts/build.sh"
echo "=== build took $((SECONDS - started)) s"

. "$root/scripts/session.sh"
trap qel_stop_all EXIT
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
