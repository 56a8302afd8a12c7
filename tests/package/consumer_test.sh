#!/usr/bin/env bash
# Installs the build into a fresh prefix, builds examples/ against it as a host's own project, and runs the
# examples under Wine through the driver, which checks what they save against the screen.
#   consumer_test.sh SOURCE_DIR BUILD_DIR TOOLCHAIN_FILE WINE DRIVER_EXE
# DISPLAY and WINEPREFIX come from the test run.
set -euo pipefail
source_dir=$1 build_dir=$2 toolchain=$3 wine=$4 driver=$5
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cmake --install "$build_dir" --prefix "$work/prefix" >/dev/null
for file in bin/QelPictavoDll.dll bin/QelFramework.dll bin/QelImageTransform.dll bin/libQelAVFrame.dll bin/pictavo.exe \
  lib/QelPictavoDll.dll.a lib/QelFramework.dll.a lib/QelImageTransform.dll.a lib/libQelAVFrame.dll.a \
  include/pictavo.h include/QelPictavoDll.h lib/cmake/QelPictavoDll/QelPictavoDllConfigVersion.cmake; do
  [ -f "$work/prefix/$file" ] || { echo "not installed: $file" >&2; exit 1; }
done
# Nothing of the tests is installed.
if find "$work/prefix" -name '*test*' | grep -q .; then
  echo "test files installed:" >&2; find "$work/prefix" -name '*test*' >&2; exit 1
fi

cmake -S "$source_dir/examples" -B "$work/examples" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
  -DCMAKE_PREFIX_PATH="$work/prefix" >"$work/configure.log" 2>&1 || { cat "$work/configure.log" >&2; exit 1; }
cmake --build "$work/examples" -j2

# Wine maps the Unix root to drive Z:.
windows_path() { printf 'Z:%s' "${1//\//\\}"; }
QEL_EXAMPLE_C=$(windows_path "$work/examples/pictavo_capture_c.exe") \
QEL_EXAMPLE_CPP=$(windows_path "$work/examples/pictavo_consumer_cpp.exe") \
  "$wine" "$driver" --gtest_color=no
