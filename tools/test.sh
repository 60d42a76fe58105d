#!/usr/bin/env bash
# Sets up a fresh machine, checks that the sources are formatted, then builds and runs every
# test twice through CTest: in the sanitized build (AddressSanitizer, UndefinedBehavior-
# Sanitizer and the short fuzzing runs, clang) and in the optimised build. Arguments are
# passed on to both ctest runs (for example -R Journey).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/tools/setup.sh"
bash "$root/tools/check-format.sh"

sanitized="$(bash "$root/tools/build-tests.sh" sanitized | tail -n 1)"
optimised="$(bash "$root/tools/build-tests.sh" optimised | tail -n 1)"

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:${ASAN_OPTIONS:-}"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:${UBSAN_OPTIONS:-}"
status=0
echo "test: sanitized build" >&2
(cd "$sanitized" && ctest --output-on-failure -j "$(nproc)" "$@") || status=1
echo "test: optimised build" >&2
(cd "$optimised" && ctest --output-on-failure -j "$(nproc)" "$@") || status=1
exit "$status"
