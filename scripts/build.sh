#!/usr/bin/env bash
# Cross-builds into BUILD_DIR (default: build): everything, or only the targets named.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" >/dev/null
if [ $# -gt 0 ]; then
  for target in "$@"; do set -- "$@" --target "$target"; shift; done
  cmake --build "$build" -j"$(nproc)" "$@"
else
  cmake --build "$build" -j"$(nproc)"
fi
