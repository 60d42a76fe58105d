#!/usr/bin/env bash
# Start-up benchmark. Builds optimised (no sanitizers), then runs alternately, ten times
# each, in an SDL window (the offscreen driver when there is no display):
#  1. the application with its launch video as shipped, timed from the moment the process
#     is started to the launch video's first picture on screen, and from the end of the
#     video to the first frame of the main interface on screen; its resident memory
#     after a second of idling there; and then the time the media engine's library (let
#     go with the splash) takes to load again, as the next playback's would;
#  2. the floor: a minimal SDL2 + Cairo program that opens a window of the same size and
#     shows one drawn page, timed to its first frame and measured the same way.
# Prints the medians and their ratios to the floor's first frame, and the memory target
# (idle memory under 150 MiB).
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

# Runs a program once: prints "<ms to first frame> <idle KiB> <ms to the splash's first
# picture> <ms from the video's end to the first frame>" (the last two only for the
# application).
measure() { # program [environment...]
  local program=$1; shift
  local out start first rss splash end reload
  out="$work/out.txt"
  start=$(date +%s.%N)
  env "$@" "$program" >"$out" 2>/dev/null
  first=$(awk '/^first-frame/ {print $2}' "$out")
  rss=$(awk '/^idle-rss-kib/ {print $2}' "$out")
  splash=$(awk '/^splash-frame/ {print $2}' "$out")
  end=$(awk '/^video-end/ {print $2}' "$out")
  reload=$(awk '/^engine-library-load-ms/ {print $2}' "$out")
  if [ -z "$first" ] || [ -z "$rss" ]; then
    echo "failed"
    return
  fi
  local since_splash=0 after_end=0
  [ -n "$splash" ] && since_splash=$(echo "($splash - $start) * 1000" | bc -l)
  [ -n "$end" ] && [ "$end" != "0.000000" ] && after_end=$(echo "($first - $end) * 1000" | bc -l)
  echo "$(echo "($first - $start) * 1000" | bc -l) $rss $since_splash $after_end ${reload:-0}"
}

median() { sort -n | awk '{a[NR]=$1} END {if (NR%2) print a[(NR+1)/2]; else print (a[NR/2]+a[NR/2+1])/2}'; }

app_times=(); app_rss=(); app_splash=(); app_handover=(); app_reload=(); floor_times=(); floor_rss=()
for i in $(seq "$runs"); do
  home="$work/home-$i"
  mkdir -p "$home"
  read -r t r sp ho rl <<<"$(measure "$build/bench/startup/startup_bench" ORVEX_RESOURCES="$root/resources" ORVEX_HOME="$home")"
  [ "$t" = "failed" ] && { echo "the application run failed"; exit 1; }
  [ "$sp" = "0" ] && { echo "the launch video showed no picture"; exit 1; }
  [ "$ho" = "0" ] && { echo "the launch video did not play to its end"; exit 1; }
  [ "$rl" = "0" ] && { echo "the engine library was still loaded at idle"; exit 1; }
  app_times+=("$t"); app_rss+=("$r"); app_splash+=("$sp"); app_handover+=("$ho"); app_reload+=("$rl")
  read -r t r <<<"$(measure "$build/bench/startup/startup_floor")"
  [ "$t" = "failed" ] && { echo "the floor run failed"; exit 1; }
  floor_times+=("$t"); floor_rss+=("$r")
done

app_t=$(printf '%s\n' "${app_times[@]}" | median)
splash_t=$(printf '%s\n' "${app_splash[@]}" | median)
handover_t=$(printf '%s\n' "${app_handover[@]}" | median)
reload_t=$(printf '%s\n' "${app_reload[@]}" | median)
floor_t=$(printf '%s\n' "${floor_times[@]}" | median)
app_r=$(printf '%s\n' "${app_rss[@]}" | median)
floor_r=$(printf '%s\n' "${floor_rss[@]}" | median)
verdict() { if [ "$(echo "$1" | bc -l)" = "1" ]; then echo met; else echo missed; fi; }
printf 'runs: %s each\n' "$runs"
printf 'floor, first frame: %.1f ms\n' "$floor_t"
printf 'application, launch video first picture: %.1f ms, ratio to the floor %.2f\n' "$splash_t" \
  "$(echo "$splash_t / $floor_t" | bc -l)"
printf 'application, video end to main interface first frame: %.1f ms, ratio to the floor %.2f\n' "$handover_t" \
  "$(echo "$handover_t / $floor_t" | bc -l)"
printf 'application, process start to main interface first frame: %.1f ms\n' "$app_t"
printf 'engine library loaded again after the idle measurement: %.1f ms\n' "$reload_t"
printf 'idle memory, median: application %.1f MiB, floor %.1f MiB, ratio %.2f\n' \
  "$(echo "$app_r / 1024" | bc -l)" "$(echo "$floor_r / 1024" | bc -l)" "$(echo "$app_r / $floor_r" | bc -l)"
printf 'target: idle memory under 150 MiB: %s\n' "$(verdict "$app_r < 153600")"
