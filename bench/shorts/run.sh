#!/usr/bin/env bash
# Short-video feed benchmark: from the end of a swipe to the first drawn picture of the
# next video, with the next video prefetched through the media cache proxy (as the feed
# does) against the same swipe with the proxy's cache emptied first (no prefetch), and
# against the mpv command-line player opening the same kind of address from the origin.
# The origin is a loopback server that waits LATENCY ms before each answer, as a network
# round trip would; mpv runs with the platform engine's settings. Prints the verdict (target:
# the prefetched video no later than mpv). Usage: run.sh [ROUNDS] [LATENCY_MS]
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="${ORVEX_BENCH_BUILD_DIR:-$root/build/bench-shorts}"
rounds="${1:-10}"
latency="${2:-60}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# The baseline tool (never needed to build or test the project).
if ! command -v mpv >/dev/null; then
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends mpv >/dev/null
fi

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DORVEX_SANITIZE=OFF -DORVEX_FUZZ=OFF \
  -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 >/dev/null
cmake --build "$build" -j3 --target shorts_bench >/dev/null

# A portrait short video as the service serves them: 6 s in 2 s segments.
mkdir -p "$work/stream"
ffmpeg -nostdin -loglevel error -y -f lavfi -i testsrc2=size=360x640:rate=25 -f lavfi -i sine=frequency=440 \
  -t 6 -c:v libx264 -preset veryfast -b:v 500k -g 50 -pix_fmt yuv420p -c:a aac -b:a 64k -f hls -hls_time 2 \
  -hls_playlist_type vod -hls_segment_filename "$work/stream/seg%03d.ts" "$work/stream/index.m3u8"

ORVEX_HOME="$work/home" "$build/bench/shorts/shorts_bench" "$work/stream" "$rounds" "$latency"
