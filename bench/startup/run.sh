#!/usr/bin/env bash
# Start-up and idle benchmark. Builds optimised (no sanitizers), starts the development
# service on loopback, then runs alternately, RUNS times each (5 by default), in an SDL
# window (the offscreen driver when there is no display):
#  1. the application with its launch video as shipped and a fresh data root whose
#     service.json names the service: timed from the moment the process is started to the
#     launch video's first picture on screen, from the end of the video to the first frame
#     of the main interface, and from the start to the first frame showing the home page's
#     posters (cold start to home); its resident memory once settled on the loaded home
#     page; and then the time the media engine's library (let go with the splash) takes to
#     load again, as the next playback's would;
#  2. the floor: a minimal SDL2 + Cairo program that opens a window of the same size and
#     shows one drawn page, timed to its first frame and measured the same way.
# Then one run idles IDLE seconds (30 by default) on the loaded home page and reports the
# wake-ups of all its threads per second and its CPU, in all (the banner turns every five
# seconds) and between the banner's turns; with Xvfb installed and no display, the same
# idle run again in a real X window under Xvfb. With the memory maps of the first
# application run and of each idle run, where the resident memory goes.
#
# Targets: idle resident memory on the loaded home page at most 150 MiB (offscreen and
# under Xvfb); between the banner's turns at most 5 wake-ups per second.
set -uo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="${ORVEX_BENCH_BUILD_DIR:-$root/build/bench-startup}"
runs="${RUNS:-5}"
idle="${IDLE:-30}"
memory_target_kib=153600
quiet_wakeups_target=5
work="$(mktemp -d)"
service_pid=""
xvfb_pid=""
cleanup() {
  [ -n "$service_pid" ] && kill "$service_pid" 2>/dev/null && wait "$service_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

export CCACHE_BASEDIR="$root" CCACHE_NOHASHDIR=1 CCACHE_DIR="${CCACHE_DIR:-$HOME/.cache/orvex-ccache}"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DORVEX_SANITIZE=OFF -DORVEX_FUZZ=OFF \
  -DORVEX_BENCH=ON -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 \
  -DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache >/dev/null
cmake --build "$build" -j "${ORVEX_BUILD_JOBS:-3}" --target startup_bench startup_floor orvex-devservice \
  >/dev/null || { echo "build failed"; exit 1; }

display_driver="${SDL_VIDEODRIVER:-}"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  export SDL_VIDEODRIVER=offscreen
fi
echo "video driver: ${SDL_VIDEODRIVER:-that of the display}"

source "$root/bench/support/devservice.sh"
start_devservice "$build" "$work"

# A fresh data root that uses the service.
fresh_home() { # name
  local home="$work/home-$1"
  mkdir -p "$home"
  cp "$work/service.json" "$home/service.json"
  echo "$home"
}

# Runs a program once: prints "<ms to first frame> <idle KiB> <ms to the splash's first
# picture> <ms from the video's end to the first frame> <engine reload ms> <ms to the home
# page's posters>" (all but the first two only for the application).
measure() { # program [environment...] -- [arguments...]
  local program=$1; shift
  local environment=() arguments=()
  while [ $# -gt 0 ] && [ "$1" != "--" ]; do environment+=("$1"); shift; done
  [ $# -gt 0 ] && shift
  arguments=("$@")
  local out start first rss splash end reload home
  out="$work/out.txt"
  start=$(date +%s.%N)
  env "${environment[@]}" "$program" "${arguments[@]}" >"$out" 2>/dev/null
  first=$(awk '/^first-frame/ {print $2}' "$out")
  rss=$(awk '/^idle-rss-kib / {print $2}' "$out")
  splash=$(awk '/^splash-frame/ {print $2}' "$out")
  end=$(awk '/^video-end/ {print $2}' "$out")
  reload=$(awk '/^engine-library-load-ms/ {print $2}' "$out")
  home=$(awk '/^home-frame/ {print $2}' "$out")
  if [ -z "$first" ] || [ -z "$rss" ]; then
    echo "failed"
    return
  fi
  local since_splash=0 after_end=0 to_home=0
  [ -n "$splash" ] && since_splash=$(echo "($splash - $start) * 1000" | bc -l)
  [ -n "$end" ] && [ "$end" != "0.000000" ] && after_end=$(echo "($first - $end) * 1000" | bc -l)
  [ -n "$home" ] && to_home=$(echo "($home - $start) * 1000" | bc -l)
  echo "$(echo "($first - $start) * 1000" | bc -l) $rss $since_splash $after_end ${reload:-0} $to_home"
}

median() { sort -n | awk '{a[NR]=$1} END {if (NR%2) print a[(NR+1)/2]; else print (a[NR/2]+a[NR/2+1])/2}'; }

# Where the resident memory of a memory map goes, by kind.
breakdown() { # smaps-file
  awk '
    function kind(name) {
      if (name ~ /(libGL|libGLX|libEGL|libgbm|libglapi|dri\.so|libLLVM|libdrm|libxcb|libX11|libXext|libwayland|libxshmfence|libelf|libsensors|libz3|mesa_shader_cache)/) return "GL, Mesa, X (libraries)";
      if (name ~ /^\/SYSV/) return "shared memory (window pixels the X server shows)";
      if (name ~ /\.(ttc|ttf|otf)$/) return "font files";
      if (name ~ /fontconfig|\.cache-[0-9]/) return "fontconfig caches";
      if (name ~ /lib(pango|cairo|pixman|harfbuzz|freetype|fontconfig|fribidi|thai|datrie|graphite|png|jpeg|webp|gif|rsvg|gdk_pixbuf|xml2)/) return "Pango, Cairo, fonts, images (libraries)";
      if (name ~ /lib(mpv|av|sw|postproc|gst)/) return "media engines (libraries)";
      if (name ~ /\.so/) return "other libraries";
      if (name == "[heap]") return "heap: main arena";
      if (name ~ /^\[stack/) return "main stack";
      if (name ~ /^\[/) return "kernel pages";
      if (name == "") return "anonymous: other heaps, large blocks, thread stacks, GL buffers";
      return "program and other files";
    }
    /^[0-9a-f]+-[0-9a-f]+ / { name = (NF >= 6) ? $6 : ""; for (i = 7; i <= NF; i++) name = name " " $i; k = kind(name); next }
    /^Rss:/ { rss[k] += $2; total += $2 }
    END { for (k in rss) printf "  %7.1f MiB  %s\n", rss[k] / 1024, k; printf "  %7.1f MiB  total\n", total / 1024 }
  ' "$1" | sort -rn
}

app_times=(); app_rss=(); app_splash=(); app_handover=(); app_reload=(); app_home=(); floor_times=(); floor_rss=()
for i in $(seq "$runs"); do
  home=$(fresh_home "$i")
  smaps=()
  [ "$i" = 1 ] && smaps=(ORVEX_SMAPS_FILE="$work/app.smaps")
  read -r t r sp ho rl th <<<"$(measure "$build/bench/startup/startup_bench" ORVEX_RESOURCES="$root/resources" \
    ORVEX_HOME="$home" "${smaps[@]}" -- --home)"
  [ "$t" = "failed" ] && { echo "the application run failed"; exit 1; }
  [ "$sp" = "0" ] && { echo "the launch video showed no picture"; exit 1; }
  [ "$ho" = "0" ] && { echo "the launch video did not play to its end"; exit 1; }
  [ "$rl" = "0" ] && { echo "the engine library was still loaded at idle"; exit 1; }
  [ "$th" = "0" ] && { echo "the home page's posters did not show"; exit 1; }
  app_times+=("$t"); app_rss+=("$r"); app_splash+=("$sp"); app_handover+=("$ho"); app_reload+=("$rl"); app_home+=("$th")
  read -r t r <<<"$(measure "$build/bench/startup/startup_floor" ORVEX_SMAPS_FILE="$work/floor.smaps" --)"
  [ "$t" = "failed" ] && { echo "the floor run failed"; exit 1; }
  floor_times+=("$t"); floor_rss+=("$r")
done

app_t=$(printf '%s\n' "${app_times[@]}" | median)
splash_t=$(printf '%s\n' "${app_splash[@]}" | median)
handover_t=$(printf '%s\n' "${app_handover[@]}" | median)
home_t=$(printf '%s\n' "${app_home[@]}" | median)
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
printf 'application, cold start to the home page with its posters (launch video as shipped): %.1f ms\n' "$home_t"
printf 'engine library loaded again after the idle measurement: %.1f ms\n' "$reload_t"
printf 'idle memory on the loaded home page, median: application %.1f MiB, floor %.1f MiB, ratio %.2f\n' \
  "$(echo "$app_r / 1024" | bc -l)" "$(echo "$floor_r / 1024" | bc -l)" "$(echo "$app_r / $floor_r" | bc -l)"
echo "where the application's resident memory goes (first run):"
breakdown "$work/app.smaps"
echo "where the floor's resident memory goes:"
breakdown "$work/floor.smaps"
memory_verdict=$(verdict "$app_r <= $memory_target_kib")
printf 'target: idle memory on the loaded home page at most 150 MiB: %s\n' "$memory_verdict"

# One long idle on the loaded home page: prints its figures and answers its verdicts.
idle_run() { # label
  local out="$work/idle-$1.txt" home
  home=$(fresh_home "idle-$1")
  ORVEX_RESOURCES="$root/resources" ORVEX_HOME="$home" ORVEX_SMAPS_FILE="$work/idle-$1.smaps" \
    "$build/bench/startup/startup_bench" --home --idle "$idle" >"$out" 2>/dev/null
  local rss activity
  rss=$(awk '/^idle-rss-kib / {print $2}' "$out")
  activity=$(awk '/^idle-activity/' "$out")
  if [ -z "$rss" ] || [ -z "$activity" ]; then
    echo "$1: the idle run failed"
    return 1
  fi
  awk '/^idle-(malloc|pixels)-kib/ {print "  " $0}' "$out"
  read -r _ _ seconds _ wakeups _ quiet_seconds _ quiet_wakeups _ cpu _ frames <<<"$activity"
  printf '%s, idle on the loaded home page: %.1f MiB resident (%.1f MiB after %s s)\n' "$1" \
    "$(echo "$rss / 1024" | bc -l)" "$(echo "$(awk '/^idle-rss-kib-after/ {print $2}' "$out") / 1024" | bc -l)" "$seconds"
  printf '%s, over %s s: %.1f wake-ups per second, %.2f %% of a core, %s frames (the banner turns)\n' "$1" \
    "$seconds" "$wakeups" "$cpu" "$frames"
  printf '%s, between the banner turns (%s s in all): %.1f wake-ups per second\n' "$1" "$quiet_seconds" "$quiet_wakeups"
  echo "$1, where the resident memory goes once settled:"
  breakdown "$work/idle-$1.smaps"
  printf 'target: %s idle memory at most 150 MiB: %s\n' "$1" "$(verdict "$rss <= $memory_target_kib")"
  printf 'target: %s at most %s wake-ups per second between the banner turns: %s\n' "$1" "$quiet_wakeups_target" \
    "$(verdict "$quiet_wakeups <= $quiet_wakeups_target")"
}

echo "== idle for $idle s"
idle_run "${SDL_VIDEODRIVER:-display}"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && command -v Xvfb >/dev/null; then
  # A real X window: the display's driver, not the offscreen one.
  Xvfb -displayfd 3 -screen 0 1280x1800x24 3>"$work/display" >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 100); do
    [ -s "$work/display" ] && break
    sleep 0.1
  done
  if [ -s "$work/display" ]; then
    if [ -n "$display_driver" ]; then export SDL_VIDEODRIVER="$display_driver"; else unset SDL_VIDEODRIVER; fi
    DISPLAY=":$(head -1 "$work/display")" idle_run Xvfb
  else
    echo "Xvfb did not start"
  fi
fi
