#!/usr/bin/env bash
# Media cache proxy benchmark, all on this machine against one loopback origin:
#  1. Export of a 150-segment HLS stream from an origin that adds 50 ms per request and
#     sends at most 4 MiB/s per connection: our export (up to 16 connections) against
#     aria2c -j16 -x1 fetching the same segments, three runs each, interleaved; the target
#     is a median below aria2c's. ffmpeg -c copy, yt-dlp and aria2c with fewer connections
#     are timed once for reference (each as installed; reported when missing).
#  2. The same with 5 segments that always fail (HTTP 500): which tools report success
#     anyway; the target is that our export never does.
#  3. A SIGKILL halfway through an export, then the export again in a new process: the
#     target is that it finishes.
#  4. Cache-hit throughput: the proxy serving a cached 500 MiB file to curl, against the
#     same file sent with sendfile() by a plain loopback HTTP server (no cache, no
#     lookups), three runs each; the target is at least 0.8 of that server's throughput.
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
cmake --build "$build" -j3 --target mediacache_bench >/dev/null || { echo "build failed"; exit 1; }
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

# The median of the numbers given.
median() { printf '%s\n' "$@" | sort -g | sed -n "$((($# + 1) / 2))p"; }
verdict() { if [ "$1" -eq 1 ]; then echo met; else echo missed; fi; }

echo "== 1. export from an origin with 50 ms latency and 4 MiB/s per connection"
start_origin "$work/media" 0.05 4194304
url="$origin_url/stream/index.m3u8"
# aria2c cannot read playlists: its timing includes fetching the playlist with curl and
# turning it into the list of segment addresses that aria2c then downloads.
aria() { # jobs output-folder
  curl -s "$url" | grep '^seg' | sed "s|^|$origin_url/stream/|" > "$work/list.txt" &&
    aria2c -q -j "$1" -x 1 --allow-overwrite=true -d "$2" -i "$work/list.txt"
}
ours_runs=(); aria_runs=()
for run in 1 2 3; do
  # Timed from outside like every other tool (process start included).
  t=$(now); out=$("$bench" export "$url" "$work/cache1-$run"); rc=$?; d=$(elapsed "$t")
  [ $rc -eq 0 ] || echo "orvex export failed: $out"
  ours_runs+=("$d")
  if command -v aria2c >/dev/null; then
    t=$(now); aria 16 "$work/aria16-$run"; rc=$?; a=$(elapsed "$t")
    [ $rc -eq 0 ] || echo "aria2c -j16 failed: rc=$rc"
    aria_runs+=("$a")
    echo "run $run: orvex export ${d}s ($out), aria2c -j16 -x1 ${a}s"
  else
    echo "run $run: orvex export ${d}s ($out)"
  fi
done
ours=$(median "${ours_runs[@]}")
results=("orvex-export $ours")

t=$(now); ffmpeg -hide_banner -loglevel error -nostdin -i "$url" -c copy -f mpegts -y "$work/ffmpeg.ts"; rc=$?
d=$(elapsed "$t"); echo "ffmpeg -c copy: rc=$rc ${d}s"; results+=("ffmpeg $d")
if command -v yt-dlp >/dev/null; then
  t=$(now); yt-dlp -q --no-warnings --hls-prefer-native -o "$work/ytdlp1.ts" "$url"; rc=$?
  d=$(elapsed "$t"); echo "yt-dlp (defaults, 1 connection): rc=$rc ${d}s"; results+=("yt-dlp $d")
  t=$(now); yt-dlp -q --no-warnings --hls-prefer-native -N 8 -o "$work/ytdlp8.ts" "$url"; rc=$?
  d=$(elapsed "$t"); echo "yt-dlp -N 8: rc=$rc ${d}s"; results+=("yt-dlp-N8 $d")
else
  echo "yt-dlp: unavailable"
fi
if command -v aria2c >/dev/null; then
  t=$(now); aria 5 "$work/aria5"; rc=$?
  d=$(elapsed "$t"); echo "aria2c (defaults, 5 connections): rc=$rc ${d}s"; results+=("aria2c $d")
  t=$(now); aria 8 "$work/aria8"; rc=$?
  d=$(elapsed "$t"); echo "aria2c -j 8: rc=$rc ${d}s"; results+=("aria2c-j8 $d")
  aria16=$(median "${aria_runs[@]}")
  results+=("aria2c-j16 $aria16")
  echo "export median of 3: orvex ${ours}s, aria2c -j16 -x1 ${aria16}s," \
    "ratio $(echo "scale=3; $ours / $aria16" | bc) (target < 1: faster than aria2c -j16):" \
    "$(verdict "$(echo "$ours < $aria16" | bc)")"
else
  echo "aria2c: unavailable; export verdict: missed (no baseline)"
fi
kill "$ORIGIN_PID" 2>/dev/null; wait "$ORIGIN_PID" 2>/dev/null

echo "== 2. the same stream with 5 segments that always fail (HTTP 500)"
failing=()
for n in 010 040 070 100 130; do failing+=("/stream/seg$n.ts"); done
start_origin "$work/media" 0.05 4194304 "${failing[@]}"
url="$origin_url/stream/index.m3u8"
report() { if [ "$2" -eq 0 ]; then echo "$1: reports SUCCESS with missing segments"; else echo "$1: reports failure (rc=$2)"; fi; }
out=$("$bench" export "$url" "$work/cache2"); ours_rc=$?; report "orvex export ($out)" $ours_rc
ffmpeg -hide_banner -loglevel quiet -nostdin -i "$url" -c copy -f mpegts -y "$work/ffmpeg2.ts"; report "ffmpeg -c copy" $?
if command -v yt-dlp >/dev/null; then
  yt-dlp -q --no-warnings --hls-prefer-native -o "$work/ytdlp2.ts" "$url" >/dev/null 2>&1; report "yt-dlp" $?
fi
if command -v aria2c >/dev/null; then
  curl -s "$url" | grep '^seg' | sed "s|^|$origin_url/stream/|" > "$work/list2.txt"
  aria2c -q -j 8 -x 1 --max-tries=3 --allow-overwrite=true -d "$work/aria2" -i "$work/list2.txt" >/dev/null 2>&1; report "aria2c" $?
fi
echo "our export never reports success with a missing segment: $(verdict "$([ $ours_rc -ne 0 ] && echo 1 || echo 0)")"
kill "$ORIGIN_PID" 2>/dev/null; wait "$ORIGIN_PID" 2>/dev/null

echo "== 3. SIGKILL halfway through an export, then the export again in a new process"
start_origin "$work/media" 0.05 4194304
url="$origin_url/stream/index.m3u8"
"$bench" export "$url" "$work/cache3" >/dev/null &
victim=$!
sleep 0.6
kill -KILL "$victim" 2>/dev/null; wait "$victim" 2>/dev/null
out=$("$bench" export "$url" "$work/cache3"); rc=$?
echo "after the kill, the restarted export: $out"
cmp -s <(cat "$work"/media/stream/seg*.ts) <("$bench" concat "$url" "$work/cache3") && same=1 || same=0
echo "the export finishes after a SIGKILL and its copy is exact: $(verdict "$([ $rc -eq 0 ] && [ $same -eq 1 ] && echo 1 || echo 0)")"
kill "$ORIGIN_PID" 2>/dev/null; wait "$ORIGIN_PID" 2>/dev/null

echo "== 4. cache-hit throughput, 500 MiB"
mkdir -p "$work/big"
head -c $((500 * 1024 * 1024)) /dev/urandom > "$work/big/file.bin"
start_origin "$work/big" 0 0
start_helper "$work/serve.url" "$bench" serve "$origin_url/file.bin" "$work/cache4"
SERVE_PID=$helper_pid; playback=$helper_url
timed() { local t; t=$(now); "$@" >/dev/null 2>&1; elapsed "$t"; }
proxy_runs=(); plain_runs=()
for _ in 1 2 3; do
  proxy_runs+=("$(timed curl -s --noproxy '*' -o /dev/null "$playback")")
  plain_runs+=("$(timed curl -s --noproxy '*' -o /dev/null "$origin_url/file.bin")")
done
proxy=$(median "${proxy_runs[@]}"); plain=$(median "${plain_runs[@]}")
echo "proxy (cache hit):                     ${proxy}s  $(echo "scale=1; 500 / $proxy" | bc) MiB/s"
echo "plain loopback sendfile() file server: ${plain}s  $(echo "scale=1; 500 / $plain" | bc) MiB/s"
echo "cache-hit throughput, proxy / plain loopback server (median of 3) = $(echo "scale=3; $plain / $proxy" | bc)" \
  "(target >= 0.8): $(verdict "$(echo "$plain / $proxy >= 0.8" | bc -l)")"
kill "$SERVE_PID" "$ORIGIN_PID" 2>/dev/null

echo "== summary of 1 (seconds; our export's median / each)"
for r in "${results[@]}"; do
  name=${r% *}; secs=${r#* }
  echo "$name: $secs s   speed-up of our export: $(echo "scale=2; $secs / $ours" | bc)x"
done
