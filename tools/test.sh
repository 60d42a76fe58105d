#!/usr/bin/env bash
# Sets up a fresh machine, builds Orvex with AddressSanitizer, UndefinedBehaviorSanitizer
# and the fuzz targets (clang), and runs every test and fuzz run through CTest.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/tools/setup.sh"

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
  -DORVEX_SANITIZE=ON -DORVEX_FUZZ=ON -DORVEX_WERROR=$werror -DORVEX_BENCH=ON
cmake --build "$build" -j "$(nproc)"

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:${ASAN_OPTIONS:-}"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:${UBSAN_OPTIONS:-}"
cd "$build"
# A test that fails is run once more and reported as failing only if it fails again:
# tests that play real media on real decoders have, very rarely and only on an
# overloaded machine, failed once and passed when run again. Each retry shows in the output.
ctest --output-on-failure -j "$(nproc)" --repeat until-pass:2 "$@"
