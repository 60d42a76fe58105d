#!/usr/bin/env bash
# Sets up a fresh machine, builds Orvex (optimised) and runs it against a service.
#
# The service: when ORVEX_BASE_URL_1 is set, or the data root holds a service.json that
# this script did not write, that service is used as it is. Otherwise the local
# development service is started on ports 8083 and 9312 (data in <data root>/devservice)
# and writes the data root's service.json, keeping a copy beside its data so that the next
# run recognises the file as its own.
#
# The window: opens on the user's display; closing it ends the application and the
# development service. Without a display the application runs headless once and writes
# a screenshot of its first screen. Arguments are passed on to the application.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/tools/setup.sh"

build="${ORVEX_RUN_BUILD_DIR:-$root/build/release}"
export CCACHE_BASEDIR="$root"
export CCACHE_NOHASHDIR=1
export CCACHE_DIR="${CCACHE_DIR:-$HOME/.cache/orvex-ccache}"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 \
  -DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DORVEX_BENCH=OFF >/dev/null
cmake --build "$build" -j "$(nproc)" --target orvex orvex-devservice

app="$build/Startup/orvex"
devservice="$build/tools/devservice/orvex-devservice"

# The application's data root (the same rule as the application's own).
if [ -n "${ORVEX_HOME:-}" ]; then
  data="$ORVEX_HOME"
elif [ -n "${XDG_DATA_HOME:-}" ]; then
  data="$XDG_DATA_HOME/orvex"
else
  data="$HOME/.local/share/orvex"
fi
mkdir -p "$data"
config="$data/service.json"
ours="$data/devservice/service.json"

service_pid=""
stop_service() {
  if [ -n "$service_pid" ]; then
    kill "$service_pid" 2>/dev/null || true
    wait "$service_pid" 2>/dev/null || true
    service_pid=""
  fi
}
trap stop_service EXIT
trap 'exit 130' INT TERM

if [ -n "${ORVEX_BASE_URL_1:-}" ]; then
  echo "orvex: using the service at $ORVEX_BASE_URL_1 (ORVEX_BASE_URL_1)"
elif [ -f "$config" ] && ! { [ -f "$ours" ] && cmp -s "$config" "$ours"; }; then
  echo "orvex: using the service configured in $config"
else
  mkdir -p "$data/devservice"
  fifo="$(mktemp -u)"
  mkfifo "$fifo"
  "$devservice" --data "$data/devservice" --client-config "$config" >"$fifo" &
  service_pid=$!
  exec 3<"$fifo"
  rm -f "$fifo"
  ready=""
  while IFS= read -r -t 120 line <&3; do
    case "$line" in
      "orvex-devservice ready "*) ready="$line"; break ;;
    esac
  done
  if [ -z "$ready" ]; then
    echo "orvex: the development service did not start (see the lines above)" >&2
    exit 1
  fi
  cp "$config" "$ours"
  echo "orvex: development service on ports ${ready#orvex-devservice ready }"
  # Keep reading its output (SMS codes) so that it never blocks on a full pipe.
  sed -u 's/^/devservice: /' <&3 &
  exec 3<&-
fi

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  "$app" "$@"
else
  shot="$data/screenshot.png"
  echo "orvex: no display (DISPLAY is not set); running headless and writing $shot"
  "$app" --headless --screenshot "$shot" "$@"
fi
