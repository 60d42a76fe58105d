#!/usr/bin/env bash
# Episode start benchmark. Builds optimised (no sanitizers), then runs title_bench: the
# application, launched headless against the development service, starts episodes of a
# title from its player page (parse request, decryption, records, the engine's first
# frame, drawing it), alternating with the mpv command line opening the same media
# address with the same request headers and the engine's settings, timed to its first
# picture by its own clock. Prints each run, the medians, their ratio and the verdict
# (target: within 1.3 times).
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="${ORVEX_BENCH_BUILD_DIR:-$root/build/bench-title}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

export CCACHE_BASEDIR="$root" CCACHE_NOHASHDIR=1 CCACHE_DIR="${CCACHE_DIR:-$HOME/.cache/orvex-ccache}"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DORVEX_SANITIZE=OFF -DORVEX_FUZZ=OFF \
  -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 \
  -DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache >/dev/null
cmake --build "$build" -j"${ORVEX_BUILD_JOBS:-3}" --target title_bench >/dev/null || { echo "build failed"; exit 1; }
mkdir -p "$build/bench-media"
# The baseline tool (never needed to build or test the project).
if ! command -v mpv >/dev/null; then
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends mpv >/dev/null
fi
# The client's console lines (every response body) go to a log, as on a device.
ORVEX_HOME="$work" ORVEX_BENCH_MEDIA="$build/bench-media" "$build/bench/title/title_bench" "$@" \
  > "$work/out.txt" 2> "$build/title_bench.log" || { cat "$build/title_bench.log" | tail -20; exit 1; }
grep -E '^(run|median|verdict)' "$work/out.txt"
