#!/usr/bin/env bash
# Player benchmark: time from setting an asset to the first rendered picture of a local
# HLS stream (served on loopback), for both playback engines, against the mpv
# command-line player's own time to its first picture of the same stream (run with the
# platform engine's settings), with a verdict for each engine (target: within 1.2 times);
# the second engine's loads each take the helper process started ahead for them (as an
# episode switch does), and its cold first load is printed apart. Then processor time per
# second of playing a 720p clip on each engine, pictures into memory (the second engine's
# with its helper process's). Then, in a window on SDL's offscreen driver, the platform
# engine's OpenGL picture path against its software path: time to the first picture
# shown and processor time per second of playing the 720p clip.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="${ORVEX_BENCH_BUILD_DIR:-$root/build/bench-player}"
runs="${1:-15}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# The baseline tool (never needed to build or test the project).
if ! command -v mpv >/dev/null; then
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends mpv >/dev/null
fi

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DORVEX_SANITIZE=OFF -DORVEX_FUZZ=OFF \
  -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 >/dev/null
cmake --build "$build" -j4 --target player_bench >/dev/null

mkdir -p "$work/stream"
ffmpeg -nostdin -loglevel error -y -f lavfi -i testsrc2=size=640x360:rate=25 -f lavfi -i sine=frequency=440 \
  -t 6 -c:v libx264 -g 25 -pix_fmt yuv420p -c:a aac -f hls -hls_time 2 -hls_playlist_type vod \
  -hls_segment_filename "$work/stream/segment%d.ts" "$work/stream/index.m3u8"

ffmpeg -nostdin -loglevel error -y -f lavfi -i testsrc2=size=1280x720:rate=25 -f lavfi -i sine=frequency=440 \
  -t 12 -c:v libx264 -preset veryfast -g 50 -pix_fmt yuv420p -c:a aac -movflags +faststart "$work/stream/clip720.mp4"

"$build/bench/player/player_bench" "$work/stream" "$runs"
