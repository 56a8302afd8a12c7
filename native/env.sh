# Sourced by scripts/native-tests.sh and scripts/fuzz.sh: how the sanitizers report. A finding stops the
# program with a symbolised stack (llvm-14 gives the symbolizer); leaks are findings too.
symbolizer=$(command -v llvm-symbolizer || command -v llvm-symbolizer-14 || true)
[ -z "$symbolizer" ] || export ASAN_SYMBOLIZER_PATH="$symbolizer"
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:strict_init_order=1:check_initialization_order=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
