#!/usr/bin/env bash
# API client benchmark: 1,000 sequential signed requests with encrypted answers through
# the client against plain libcurl fetching the same answers from the same development
# service, in one process (see NetworkBench.cpp). Built without sanitizers.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="${ORVEX_BENCH_BUILD_DIR:-$root/build/bench-network}"

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DORVEX_SANITIZE=OFF -DORVEX_FUZZ=OFF \
  -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 >/dev/null
cmake --build "$build" -j4 --target network_bench >/dev/null
mkdir -p "$build/bench-media"
# The client's console lines (every response body) go to a file, as on a device.
ORVEX_BENCH_MEDIA_DIR="$build/bench-media" "$build/bench/network/network_bench" "$@" > "$build/network_bench.log"
