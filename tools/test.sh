#!/usr/bin/env bash
# Sets up a fresh machine, builds Orvex with AddressSanitizer, UndefinedBehaviorSanitizer
# and the fuzz targets (clang), and runs every test and fuzz run through CTest.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/tools/setup.sh"
bash "$root/tools/check-format.sh"
build="$(bash "$root/tools/build-tests.sh" | tail -n 1)"

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:${ASAN_OPTIONS:-}"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:${UBSAN_OPTIONS:-}"
cd "$build"
ctest --output-on-failure -j "$(nproc)" "$@"
