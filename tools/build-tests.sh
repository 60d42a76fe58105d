#!/usr/bin/env bash
# Configures and builds a test build through ccache and prints its folder as the last line.
# Used by test.sh and screenshots.sh.
#
#   bash tools/build-tests.sh [sanitized|optimised]
#
# sanitized (the default): clang with AddressSanitizer and UndefinedBehaviorSanitizer, the
#   fuzz targets and the benchmarks, in build/test (ORVEX_TEST_BUILD_DIR overrides).
# optimised: the same code and tests as shipped, optimised and without sanitizers, in
#   build/test-optimised (ORVEX_OPTIMISED_BUILD_DIR overrides); faults that only a faster
#   run shows (an answer before the next frame, a failure within a frame) show here.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
flavour="${1:-sanitized}"

export CCACHE_BASEDIR="$root"
export CCACHE_NOHASHDIR=1
export CCACHE_DIR="${CCACHE_DIR:-$HOME/.cache/orvex-ccache}"
export CCACHE_MAXSIZE="${CCACHE_MAXSIZE:-8G}"
werror=OFF
[ "${CI:-}" = "true" ] && werror=ON

case "$flavour" in
  sanitized)
    build="${ORVEX_TEST_BUILD_DIR:-$root/build/test}"
    options=(-DORVEX_SANITIZE=ON -DORVEX_FUZZ=ON -DORVEX_BENCH=ON)
    ;;
  optimised)
    build="${ORVEX_OPTIMISED_BUILD_DIR:-$root/build/test-optimised}"
    options=(-DORVEX_SANITIZE=OFF -DORVEX_FUZZ=OFF -DORVEX_BENCH=OFF)
    ;;
  *)
    echo "usage: bash tools/build-tests.sh [sanitized|optimised]" >&2
    exit 2
    ;;
esac

cmake -S "$root" -B "$build" -G Ninja \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 \
  -DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache \
  -DORVEX_WERROR=$werror "${options[@]}" >&2
cmake --build "$build" -j "${ORVEX_BUILD_JOBS:-$(nproc)}" >&2
echo "$build"
