#!/usr/bin/env bash
# Builds the pure code natively with clang under AddressSanitizer and UndefinedBehaviorSanitizer (the project in
# native/) and runs its unit tests: the transform library's DIB code, the stitching, the pixel rows, the
# selection's placement and animation rules. No Wine, no display.
#   scripts/native-tests.sh [CTEST ARGUMENTS ...]
# Environment: NATIVE_BUILD_DIR (default build-native).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${NATIVE_BUILD_DIR:-$root/build-native}
. "$root/native/env.sh"

cmake -S "$root/native" -B "$build" -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$build" -j"$(nproc)"
ctest --test-dir "$build" -j"$(nproc)" --output-on-failure "$@" </dev/null
