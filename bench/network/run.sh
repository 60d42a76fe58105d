#!/usr/bin/env bash
# API client benchmark: 1,000 sequential signed requests with encrypted answers through
# the client against plain libcurl fetching the same answers from the same development
# service, in one process (see NetworkBench.cpp); then the first request of a process
# (name resolution over HTTPS and both TLS handshakes included), through the client and
# through plain libcurl, each in fresh processes, alternating (FIRST_RUNS each, 10 by
# default), with their medians. Built without sanitizers.
#
# Verdict: "met" when a request through the client (median of the rounds, its console
# lines written) costs at most TARGET times a plain libcurl request, else "missed".
#
# Then the main thread's time for a burst of new TLS connections verified against the
# system's certificate store, against the same burst with the store read for every
# connection (CertificateStoreBench.cpp, with its own target and verdict). It runs in a
# private mount namespace (unshare) whose system bundle also holds the development
# service's authority, so that the service's connections verify against the system store.
set -euo pipefail
TARGET=1.3
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="${ORVEX_BENCH_BUILD_DIR:-$root/build/bench-network}"

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DORVEX_SANITIZE=OFF -DORVEX_FUZZ=OFF \
  -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 >/dev/null
cmake --build "$build" -j3 --target network_bench certificate_store_bench >/dev/null
mkdir -p "$build/bench-media"
# The client's console lines (every response body) go to a file, as on a device.
ORVEX_BENCH_MEDIA_DIR="$build/bench-media" "$build/bench/network/network_bench" "$@" \
  2> >(tee "$build/network_bench.results" >&2) > "$build/network_bench.log"
wait
ratio=$(awk '/^ratio client \/ plain libcurl:/ {print $6}' "$build/network_bench.results")
[ -n "$ratio" ] || { echo "the benchmark printed no ratio" >&2; exit 1; }
lines=$(grep -c '' "$build/network_bench.log" || true)
echo "console lines written by the client: $lines" >&2

first() { # client|libcurl: milliseconds of the process's first request
  ORVEX_BENCH_MEDIA_DIR="$build/bench-media" "$build/bench/network/network_bench" --first "$1" 2>&1 >/dev/null |
    awk '/^first-request/ {print $3}'
}
median() { sort -n | awk '{a[NR]=$1} END {if (NR%2) print a[(NR+1)/2]; else print (a[NR/2]+a[NR/2+1])/2}'; }
client_first=(); libcurl_first=()
for _ in $(seq "${FIRST_RUNS:-10}"); do
  t=$(first client); [ -n "$t" ] || { echo "the client's first request failed" >&2; exit 1; }
  client_first+=("$t")
  t=$(first libcurl); [ -n "$t" ] || { echo "plain libcurl's first request failed" >&2; exit 1; }
  libcurl_first+=("$t")
done
c=$(printf '%s\n' "${client_first[@]}" | median)
l=$(printf '%s\n' "${libcurl_first[@]}" | median)
printf 'first request of a process (median of %s): client %.1f ms, plain libcurl %.1f ms, ratio %.2f\n' \
  "${FIRST_RUNS:-10}" "$c" "$l" "$(echo "$c / $l" | bc -l)" >&2
if [ "$(echo "$ratio <= $TARGET" | bc -l)" = 1 ]; then verdict=met; else verdict=missed; fi
printf 'verdict: %s (client / plain libcurl %s per request, target <= %s)\n' "$verdict" "$ratio" "$TARGET" >&2

store_dir="$build/certificate-store"
mkdir -p "$store_dir"
read -r system_bundle service_ca < <(ORVEX_BENCH_MEDIA_DIR="$build/bench-media" \
  "$build/bench/network/certificate_store_bench" --prepare "$store_dir/service")
cat "$system_bundle" "$service_ca" >"$store_dir/system-and-service.crt"
ORVEX_BENCH_MEDIA_DIR="$build/bench-media" unshare --map-root-user --mount \
  sh -c 'mount --bind "$1" "$2" && exec "$3" "$4"' - "$store_dir/system-and-service.crt" "$system_bundle" \
  "$build/bench/network/certificate_store_bench" "$store_dir/service" >&2
