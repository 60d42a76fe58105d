#!/usr/bin/env bash
# Media cache proxy benchmark, all on this machine against one loopback origin:
#  1. Export of a 150-segment HLS stream from an origin that adds 50 ms per request and
#     sends at most 4 MiB/s per connection: our export (up to 16 connections, as many as
#     pay) against ffmpeg -c copy, yt-dlp and aria2c fetching the same stream (each as
#     installed; reported when missing), aria2c also with 16 connections.
#  2. The same with 5 segments that always fail: which tools report success anyway.
#  3. Cache-hit throughput: the proxy serving a cached 500 MiB file to curl, against
#     curl reading the same file with file://.
set -uo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="${ORVEX_BENCH_BUILD_DIR:-$root/build/bench-mediacache}"
work="$(mktemp -d)"
trap 'jobs -p | xargs -r kill 2>/dev/null; wait; rm -rf "$work"' EXIT

# The other tools of the comparison (never needed to build or test the project).
if ! command -v yt-dlp >/dev/null || ! command -v aria2c >/dev/null; then
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq yt-dlp aria2 >/dev/null 2>&1 || true
fi

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DORVEX_SANITIZE=OFF -DORVEX_FUZZ=OFF \
  -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 >/dev/null
cmake --build "$build" -j4 --target mediacache_bench >/dev/null || { echo "build failed"; exit 1; }
bench="$build/bench/mediacache/mediacache_bench"

now() { date +%s.%N; }
elapsed() { echo "$(now) - $1" | bc; }

echo "== making a 150-segment stream"
"$bench" make-hls "$work/media/stream" 150 || exit 1
segments=$(grep -c '^seg' "$work/media/stream/index.m3u8")
echo "segments: $segments, bytes: $(du -sb "$work/media/stream" | cut -f1)"

# Starts a helper in the background and reads the address it prints first.
start_helper() { # output-file command...
  local out=$1; shift
  "$@" > "$out" &
  helper_pid=$!
  for _ in $(seq 600); do [ -s "$out" ] && break; sleep 0.1; done
  read -r helper_url < "$out"
}
start_origin() { # folder latency rate [failing paths...]
  start_helper "$work/origin.url" "$bench" origin "$@"
  ORIGIN_PID=$helper_pid; origin_url=$helper_url
}

echo "== 1. export from an origin with 50 ms latency and 4 MiB/s per connection"
start_origin "$work/media" 0.05 4194304
url="$origin_url/stream/index.m3u8"
results=()

# Timed from outside like every other tool (process start included).
t=$(now); out=$("$bench" export "$url" "$work/cache1"); ours=$(elapsed "$t")
echo "orvex export: ${ours}s (status and time inside the process: $out)"
results+=("orvex-export $ours")

t=$(now); ffmpeg -hide_banner -loglevel error -nostdin -i "$url" -c copy -f mpegts -y "$work/ffmpeg.ts"; rc=$?
d=$(elapsed "$t"); echo "ffmpeg -c copy: rc=$rc ${d}s"; results+=("ffmpeg $d")

# Each tool with its own defaults, then with more connections (aria2c with as many as our
# export may use, 16).
if command -v yt-dlp >/dev/null; then
  t=$(now); yt-dlp -q --no-warnings --hls-prefer-native -o "$work/ytdlp1.ts" "$url"; rc=$?
  d=$(elapsed "$t"); echo "yt-dlp (defaults, 1 connection): rc=$rc ${d}s"; results+=("yt-dlp $d")
  t=$(now); yt-dlp -q --no-warnings --hls-prefer-native -N 8 -o "$work/ytdlp8.ts" "$url"; rc=$?
  d=$(elapsed "$t"); echo "yt-dlp -N 8: rc=$rc ${d}s"; results+=("yt-dlp-N8 $d")
else
  echo "yt-dlp: unavailable"
fi
if command -v aria2c >/dev/null; then
  # aria2c cannot read playlists: the timing includes fetching the playlist with curl and
  # turning it into the list of segment addresses that aria2c then downloads.
  aria() { # jobs output-folder
    curl -s "$url" | grep '^seg' | sed "s|^|$origin_url/stream/|" > "$work/list.txt" &&
      aria2c -q -j "$1" -x 1 --allow-overwrite=true -d "$2" -i "$work/list.txt"
  }
  t=$(now); aria 5 "$work/aria5"; rc=$?
  d=$(elapsed "$t"); echo "aria2c (defaults, 5 connections): rc=$rc ${d}s"; results+=("aria2c $d")
  t=$(now); aria 8 "$work/aria8"; rc=$?
  d=$(elapsed "$t"); echo "aria2c -j 8: rc=$rc ${d}s"; results+=("aria2c-j8 $d")
  t=$(now); aria 16 "$work/aria16"; rc=$?
  d=$(elapsed "$t"); echo "aria2c -j 16 -x 1: rc=$rc ${d}s"; results+=("aria2c-j16 $d")
else
  echo "aria2c: unavailable"
fi
kill "$ORIGIN_PID" 2>/dev/null; wait "$ORIGIN_PID" 2>/dev/null

echo "== 2. the same stream with 5 segments that always fail (HTTP 500)"
failing=()
for n in 010 040 070 100 130; do failing+=("/stream/seg$n.ts"); done
start_origin "$work/media" 0.05 4194304 "${failing[@]}"
url="$origin_url/stream/index.m3u8"
report() { if [ "$2" -eq 0 ]; then echo "$1: reports SUCCESS with missing segments"; else echo "$1: reports failure (rc=$2)"; fi; }
out=$("$bench" export "$url" "$work/cache2"); report "orvex export ($out)" $?
ffmpeg -hide_banner -loglevel quiet -nostdin -i "$url" -c copy -f mpegts -y "$work/ffmpeg2.ts"; report "ffmpeg -c copy" $?
if command -v yt-dlp >/dev/null; then
  yt-dlp -q --no-warnings --hls-prefer-native -o "$work/ytdlp2.ts" "$url" >/dev/null 2>&1; report "yt-dlp" $?
fi
if command -v aria2c >/dev/null; then
  curl -s "$url" | grep '^seg' | sed "s|^|$origin_url/stream/|" > "$work/list2.txt"
  aria2c -q -j 8 -x 1 --max-tries=3 --allow-overwrite=true -d "$work/aria2" -i "$work/list2.txt" >/dev/null 2>&1; report "aria2c" $?
fi
kill "$ORIGIN_PID" 2>/dev/null; wait "$ORIGIN_PID" 2>/dev/null

echo "== 3. cache-hit throughput, 500 MiB"
mkdir -p "$work/big"
head -c $((500 * 1024 * 1024)) /dev/urandom > "$work/big/file.bin"
start_origin "$work/big" 0 0
start_helper "$work/serve.url" "$bench" serve "$origin_url/file.bin" "$work/cache3"
SERVE_PID=$helper_pid; playback=$helper_url
best() { # command... -> best seconds of three runs
  local b=""
  for _ in 1 2 3; do
    local t; t=$(now); "$@" >/dev/null 2>&1; local d; d=$(elapsed "$t")
    if [ -z "$b" ] || [ "$(echo "$d < $b" | bc)" -eq 1 ]; then b=$d; fi
  done
  echo "$b"
}
proxy=$(best curl -s --noproxy '*' -o /dev/null "$playback")
file=$(best curl -s -o /dev/null "file://$work/big/file.bin")
# The ceiling of any HTTP server on loopback here: the same file sent with sendfile()
# by the plain test origin (no cache, no lookups).
plain=$(best curl -s --noproxy '*' -o /dev/null "$origin_url/file.bin")
echo "proxy (cache hit):          ${proxy}s  $(echo "scale=1; 500 / $proxy" | bc) MiB/s"
echo "curl file://:               ${file}s  $(echo "scale=1; 500 / $file" | bc) MiB/s"
echo "plain loopback file server: ${plain}s  $(echo "scale=1; 500 / $plain" | bc) MiB/s"
echo "throughput ratio proxy / file:// = $(echo "scale=3; $file / $proxy" | bc) (target >= 0.8)"
echo "throughput ratio proxy / plain loopback server = $(echo "scale=3; $plain / $proxy" | bc)"
kill "$SERVE_PID" "$ORIGIN_PID" 2>/dev/null

echo "== summary of 1 (seconds; our export / each)"
for r in "${results[@]}"; do
  name=${r% *}; secs=${r#* }
  echo "$name: $secs s   speed-up of our export: $(echo "scale=2; $secs / $ours" | bc)x"
done
