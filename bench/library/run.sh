#!/usr/bin/env bash
# Library grid scrolling benchmark: 600 frames over 100 films against 600 frames over
# 1,000 films in one process (see LibraryGridScrollBenchmark.cpp). Built without
# sanitizers; exits non-zero when the ratio or the 99th-percentile frame misses its target.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="${ORVEX_BENCH_BUILD_DIR:-$root/build/bench-library}"
export CCACHE_BASEDIR="$root"
export CCACHE_NOHASHDIR=1
export CCACHE_DIR="${CCACHE_DIR:-$HOME/.cache/orvex-ccache}"

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DORVEX_SANITIZE=OFF -DORVEX_FUZZ=OFF \
  -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 \
  -DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache >/dev/null
cmake --build "$build" -j "${ORVEX_BUILD_JOBS:-3}" --target library_grid_bench >/dev/null
"$build/bench/library/library_grid_bench"
