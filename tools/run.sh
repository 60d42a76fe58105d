#!/usr/bin/env bash
# Sets up a fresh machine, builds Orvex (optimised) and runs it.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/tools/setup.sh"

build="${ORVEX_RUN_BUILD_DIR:-$root/build/release}"
export CCACHE_BASEDIR="$root"
export CCACHE_NOHASHDIR=1
export CCACHE_DIR="${CCACHE_DIR:-$HOME/.cache/orvex-ccache}"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DORVEX_BENCH=OFF
cmake --build "$build" -j "$(nproc)"

if [ -x "$build/app/orvex" ]; then
  exec "$build/app/orvex" "$@"
fi
echo "orvex: the application window is not built yet; the build and its libraries are ready in $build."
