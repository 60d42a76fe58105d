#!/usr/bin/env bash
# Download benchmark, all on this machine against one loopback origin that adds 50 ms per
# request and sends at most 4 MiB/s per connection: a 150-segment HLS stream downloaded
# through the download picker's path (the download coordinator, its records and the media
# cache proxy's export), against aria2c -j16 -x1 fetching the same segments, in the same
# run, three runs each, interleaved. Prints the medians, their ratio and the verdict; the
# target is a median below aria2c's.
set -uo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="${ORVEX_BENCH_BUILD_DIR:-$root/build/bench-mediacache}"
work="$(mktemp -d)"
trap 'jobs -p | xargs -r kill 2>/dev/null; wait; rm -rf "$work"' EXIT

# The tool of the comparison (never needed to build or test the project).
if ! command -v aria2c >/dev/null; then
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq aria2 >/dev/null 2>&1 || true
fi
command -v aria2c >/dev/null || { echo "aria2c is unavailable"; exit 1; }

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DORVEX_SANITIZE=OFF -DORVEX_FUZZ=OFF \
  -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 >/dev/null
cmake --build "$build" -j3 --target mediacache_bench downloads_bench >/dev/null || { echo "build failed"; exit 1; }
media="$build/bench/mediacache/mediacache_bench"
bench="$build/bench/downloads/downloads_bench"

now() { date +%s.%N; }
elapsed() { echo "$(now) - $1" | bc; }

"$media" make-hls "$work/media/stream" 150 || exit 1
echo "segments: $(grep -c '^seg' "$work/media/stream/index.m3u8"), bytes: $(du -sb "$work/media/stream" | cut -f1)"

"$media" origin "$work/media" 0.05 4194304 > "$work/origin.url" &
for _ in $(seq 600); do [ -s "$work/origin.url" ] && break; sleep 0.1; done
read -r origin < "$work/origin.url"
url="$origin/stream/index.m3u8"

median() { printf '%s\n' "$@" | sort -g | sed -n "$((($# + 1) / 2))p"; }
runs=${RUNS:-3}
ours_runs=(); aria_runs=()
for run in $(seq "$runs"); do
  # Timed from outside, process start included, like aria2c.
  t=$(now); out=$("$bench" download "$url" "$work/root$run"); rc=$?; ours=$(elapsed "$t")
  [ $rc -eq 0 ] || { echo "download failed: $out"; exit 1; }
  # aria2c cannot read playlists: its time includes fetching the playlist with curl and
  # turning it into the segment addresses it then downloads.
  t=$(now)
  curl -s "$url" | grep '^seg' | sed "s|^|$origin/stream/|" > "$work/list$run.txt" &&
    aria2c -q -j 16 -x 1 --allow-overwrite=true -d "$work/aria$run" -i "$work/list$run.txt"; rc=$?
  aria=$(elapsed "$t")
  [ $rc -eq 0 ] || { echo "aria2c failed"; exit 1; }
  echo "run $run: download ${ours}s ($out), aria2c -j16 -x1 ${aria}s"
  ours_runs+=("$ours"); aria_runs+=("$aria")
done
ours=$(median "${ours_runs[@]}"); aria=$(median "${aria_runs[@]}")
if [ "$(echo "$ours < $aria" | bc)" -eq 1 ]; then verdict=met; else verdict=missed; fi
echo "median of $runs: download ${ours}s, aria2c -j16 -x1 ${aria}s, ratio $(echo "scale=3; $ours / $aria" | bc)" \
  "(target < 1: faster than aria2c -j16): $verdict"
