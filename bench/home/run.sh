#!/usr/bin/env bash
# Home tab benchmarks. Builds optimised (no sanitizers), then:
#  1. scrolling (home_scroll_bench): the recommend page against the development service
#     and the category grid, each with 100 and with 1,000 posters, in one process; prints
#     the per-frame ratio of 1,000 against 100 posters and the 99th-percentile frame;
#  2. cold start, alternately RUNS times each (10 by default) in an SDL window (the
#     offscreen driver when there is no display), against one development service on
#     loopback, each run with a fresh data root (no cached tabs or posters) and the
#     application's resources as shipped (the launch video too):
#       the shell-only start (bench/startup's startup_bench): process start to the first
#       frame of the main interface;
#       the home start (home_start_bench): process start to the first frame that shows
#       the recommend page's posters.
#     Prints the medians, their ratio and the verdict (target: the home page with its
#     posters within 1.2 times the shell-only start).
set -uo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="${ORVEX_BENCH_BUILD_DIR:-$root/build/bench-home}"
runs="${RUNS:-10}"
work="$(mktemp -d)"
service_pid=""
cleanup() {
  [ -n "$service_pid" ] && kill "$service_pid" 2>/dev/null && wait "$service_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

export CCACHE_BASEDIR="$root" CCACHE_NOHASHDIR=1 CCACHE_DIR="${CCACHE_DIR:-$HOME/.cache/orvex-ccache}"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DORVEX_SANITIZE=OFF -DORVEX_FUZZ=OFF \
  -DORVEX_BENCH=ON -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 \
  -DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache >/dev/null
cmake --build "$build" -j "${ORVEX_BUILD_JOBS:-3}" \
  --target home_scroll_bench home_start_bench startup_bench orvex-devservice >/dev/null || { echo "build failed"; exit 1; }

# The HLS media the service makes with ffmpeg, shared with the test build when it has it.
media="$root/build/test/test-fixtures/devservice-media"
[ -d "$media" ] || media="$work/media"

echo "== scrolling"
# The API client's console lines are left out; the benchmark's own lines are kept.
"$build/bench/home/home_scroll_bench" "$media" 2>&1 | grep -E '^(round|recommend page|category grid|home_scroll_bench|verdict)'
scroll_status=${PIPESTATUS[0]}

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  export SDL_VIDEODRIVER=offscreen
fi
echo "== cold start (video driver: ${SDL_VIDEODRIVER:-that of the display})"

# One service for every run.
source "$root/bench/support/devservice.sh"
start_devservice "$build" "$work"

# Runs a program once with a fresh data root: prints the milliseconds to its first frame.
measure() { # program run-name
  local home="$work/home-$2" out="$work/out.txt" start first
  mkdir -p "$home"
  cp "$work/service.json" "$home/service.json"
  start=$(date +%s.%N)
  ORVEX_RESOURCES="$root/resources" ORVEX_HOME="$home" "$1" >"$out" 2>/dev/null
  first=$(awk '/^first-frame/ {print $2}' "$out")
  if [ -z "$first" ]; then
    echo "failed"
    return
  fi
  echo "($first - $start) * 1000" | bc -l
}

median() { sort -n | awk '{a[NR]=$1} END {if (NR%2) print a[(NR+1)/2]; else print (a[NR/2]+a[NR/2+1])/2}'; }

shell_times=(); home_times=()
for i in $(seq "$runs"); do
  t=$(measure "$build/bench/startup/startup_bench" "shell-$i")
  [ "$t" = "failed" ] && { echo "the shell-only run failed"; exit 1; }
  shell_times+=("$t")
  t=$(measure "$build/bench/home/home_start_bench" "home-$i")
  [ "$t" = "failed" ] && { echo "the home run failed"; exit 1; }
  home_times+=("$t")
done
shell_t=$(printf '%s\n' "${shell_times[@]}" | median)
home_t=$(printf '%s\n' "${home_times[@]}" | median)
printf 'runs: %s each\n' "$runs"
ratio=$(echo "$home_t / $shell_t" | bc -l)
printf 'cold start, median: shell-only first frame %.1f ms, home page with posters %.1f ms, ratio %.2f (target 1.20 or less)\n' \
  "$shell_t" "$home_t" "$ratio"
if [ "$(echo "$ratio <= 1.2" | bc -l)" = "1" ]; then start_verdict=met; else start_verdict=missed; fi
echo "verdict, cold start to the home page's posters against the shell-only start: $start_verdict"
exit "$scroll_status"
