#!/usr/bin/env bash
# Runs the benchmarks on the display layouts they measure; every figure is a ratio to a baseline of the same run.
#   scripts/bench.sh [BENCH ...]   (default: capture_bench imagetransform_bench overlay_bench scroll_bench)
# Environment: BUILD_DIR (default build), RUN_DIR (displays and Wine prefixes; default BUILD_DIR/bench-run).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
run=${RUN_DIR:-$build/bench-run}
benches=("$@")
[ ${#benches[@]} -gt 0 ] || benches=(capture_bench imagetransform_bench overlay_bench scroll_bench)

"$root/scripts/install-deps.sh"
BUILD_DIR=$build "$root/scripts/build.sh" "${benches[@]}"

# Which layouts each benchmark is read on.
layouts_of() {
  case $1 in
    capture_bench) echo single dual ;;
    overlay_bench) echo dual ;;
    *) echo single ;;
  esac
}

. "$root/scripts/session.sh"
trap qel_stop_all EXIT
for layout in single dual left; do
  wanted=()
  for bench in "${benches[@]}"; do
    for l in $(layouts_of "$bench"); do [ "$l" = "$layout" ] && wanted+=("$bench"); done
  done
  [ ${#wanted[@]} -gt 0 ] || continue
  qel_start_display "$layout" "$run/displays/$layout"
  qel_start_wine "$layout" "$run/wine/$layout"
  for bench in "${wanted[@]}"; do
    echo "=== $bench on layout $layout"
    (cd "$build/bin" && "$QEL_WINE" "./$bench.exe" </dev/null) || echo "$bench failed with status $?"
  done
  qel_stop_all
done
