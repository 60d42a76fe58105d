#!/usr/bin/env bash
# Start-up benchmark. Builds optimised (no sanitizers), then runs alternately, ten times
# each, in an SDL window (the offscreen driver when there is no display):
#  1. the application with a launch video of (nearly) zero length, timed from the moment
#     the process is started to the first frame of the main interface on screen, and its
#     resident memory after a second of idling there. The video has two frames of 10 ms:
#     the engine shows a video of a single frame as a still image for a whole second;
#  2. the floor: a minimal SDL2 + Cairo program that opens a window of the same size and
#     shows one drawn page, timed and measured the same way.
# Prints the medians, their ratio, and the targets (first frame within 300 ms, idle
# memory under 150 MiB).
set -uo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="${ORVEX_BENCH_BUILD_DIR:-$root/build/bench-startup}"
runs="${RUNS:-10}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

export CCACHE_BASEDIR="$root" CCACHE_NOHASHDIR=1 CCACHE_DIR="${CCACHE_DIR:-$HOME/.cache/orvex-ccache}"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DORVEX_SANITIZE=OFF -DORVEX_FUZZ=OFF \
  -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 \
  -DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache >/dev/null
cmake --build "$build" -j4 --target startup_bench startup_floor >/dev/null || { echo "build failed"; exit 1; }

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  export SDL_VIDEODRIVER=offscreen
fi
echo "video driver: ${SDL_VIDEODRIVER:-that of the display}"

# The application's resources with a launch video of 20 ms.
cp -r "$root/resources" "$work/resources"
ffmpeg -v error -y -f lavfi -i "color=c=0x1C1B20:s=360x780:r=100" -frames:v 2 -c:v libx264 -pix_fmt yuv420p \
  -movflags +faststart "$work/resources/splash.mp4" || exit 1

# Runs a program once: prints "<milliseconds to first frame> <idle KiB>".
measure() { # program [environment...]
  local program=$1; shift
  local out start first rss
  out="$work/out.txt"
  start=$(date +%s.%N)
  env "$@" "$program" >"$out" 2>/dev/null
  first=$(awk '/^first-frame/ {print $2}' "$out")
  rss=$(awk '/^idle-rss-kib/ {print $2}' "$out")
  if [ -z "$first" ] || [ -z "$rss" ]; then
    echo "failed"
    return
  fi
  echo "$(echo "($first - $start) * 1000" | bc -l) $rss"
}

median() { sort -n | awk '{a[NR]=$1} END {if (NR%2) print a[(NR+1)/2]; else print (a[NR/2]+a[NR/2+1])/2}'; }

app_times=(); app_rss=(); floor_times=(); floor_rss=()
for i in $(seq "$runs"); do
  home="$work/home-$i"
  mkdir -p "$home"
  read -r t r <<<"$(measure "$build/bench/startup/startup_bench" ORVEX_RESOURCES="$work/resources" ORVEX_HOME="$home")"
  [ "$t" = "failed" ] && { echo "the application run failed"; exit 1; }
  app_times+=("$t"); app_rss+=("$r")
  read -r t r <<<"$(measure "$build/bench/startup/startup_floor")"
  [ "$t" = "failed" ] && { echo "the floor run failed"; exit 1; }
  floor_times+=("$t"); floor_rss+=("$r")
done

app_t=$(printf '%s\n' "${app_times[@]}" | median)
floor_t=$(printf '%s\n' "${floor_times[@]}" | median)
app_r=$(printf '%s\n' "${app_rss[@]}" | median)
floor_r=$(printf '%s\n' "${floor_rss[@]}" | median)
verdict() { if [ "$(echo "$1" | bc -l)" = "1" ]; then echo met; else echo missed; fi; }
time_ratio=$(echo "$app_t / $floor_t" | bc -l)
memory_ratio=$(echo "$app_r / $floor_r" | bc -l)
printf 'runs: %s each\n' "$runs"
printf 'first frame, median: application %.1f ms, floor %.1f ms, ratio %.2f\n' "$app_t" "$floor_t" "$time_ratio"
printf 'idle memory, median: application %.1f MiB, floor %.1f MiB, ratio %.2f\n' \
  "$(echo "$app_r / 1024" | bc -l)" "$(echo "$floor_r / 1024" | bc -l)" "$memory_ratio"
printf 'targets: first frame within 300 ms: %s; idle memory under 150 MiB: %s\n' \
  "$(verdict "$app_t <= 300")" "$(verdict "$app_r < 153600")"
