#!/usr/bin/env bash
# Builds the libFuzzer targets of tests/fuzz natively if needed (native/, clang, AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs every target for SECONDS (default 20), all side by side, each on a copy
# of its committed corpus (tests/fuzz/corpus/<target>), so that runs never write into the repository.
# Exits non-zero on any finding: a crash, a sanitizer report, a broken invariant, a time-out or running out of
# memory. A finding's input is kept in NATIVE_BUILD_DIR/fuzz/findings; add it to the corpus as regression-*.
#   scripts/fuzz.sh [SECONDS [TARGET ...]]
# Environment: NATIVE_BUILD_DIR (default build-native); FUZZ_ARGS, more libFuzzer arguments (e.g. -runs=N).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${NATIVE_BUILD_DIR:-$root/build-native}
seconds=${1:-20}
[ $# -gt 0 ] && shift
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for source in "$root"/tests/fuzz/*Fuzz.cpp; do targets+=("$(basename "$source" .cpp)"); done
fi
. "$root/native/env.sh"

cmake -S "$root/native" -B "$build" -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$build" -j"$(nproc)" --target "${targets[@]}"

findings="$build/fuzz/findings"
mkdir -p "$build/fuzz" "$findings"
scratch=$(mktemp -d "$build/fuzz/run.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
pids=()
for target in "${targets[@]}"; do
  mkdir -p "$scratch/$target"
  [ -d "$root/tests/fuzz/corpus/$target" ] && cp -R "$root/tests/fuzz/corpus/$target/." "$scratch/$target/"
  # Every committed input runs first (the corpus is read before fuzzing), so a regression input that fails
  # again is reported at once.
  "$build/$target" "$scratch/$target" -max_total_time="$seconds" -max_len=8192 -timeout=25 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$findings/$target-" ${FUZZ_ARGS:-} >"$scratch/$target.log" 2>&1 &
  pids+=($!)
done
status=0
for i in "${!targets[@]}"; do
  target=${targets[$i]}
  rc=0
  wait "${pids[$i]}" || rc=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$scratch/$target.log")
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$scratch/$target.log")
  if [ "$rc" -eq 0 ]; then
    echo "fuzz $target: ${runs:-?} runs (${rate:-?}/s), no finding"
  else
    status=1
    echo "fuzz $target: FINDING (exit $rc); inputs in $findings; the log:"
    grep -v '^#[0-9]' "$scratch/$target.log" | tail -n 60
  fi
done
exit $status
