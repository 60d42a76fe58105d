#!/usr/bin/env bash
# Configures and builds the test build: clang with AddressSanitizer and
# UndefinedBehaviorSanitizer, the fuzz targets and the benchmarks, through ccache.
# Prints the build folder as its last line. Used by test.sh and screenshots.sh.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"

build="${ORVEX_TEST_BUILD_DIR:-$root/build/test}"
export CCACHE_BASEDIR="$root"
export CCACHE_NOHASHDIR=1
export CCACHE_DIR="${CCACHE_DIR:-$HOME/.cache/orvex-ccache}"
export CCACHE_MAXSIZE="${CCACHE_MAXSIZE:-5G}"
werror=OFF
[ "${CI:-}" = "true" ] && werror=ON

cmake -S "$root" -B "$build" -G Ninja \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 \
  -DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache \
  -DORVEX_SANITIZE=ON -DORVEX_FUZZ=ON -DORVEX_WERROR=$werror -DORVEX_BENCH=ON >&2
cmake --build "$build" -j "${ORVEX_BUILD_JOBS:-$(nproc)}" >&2
echo "$build"
