#!/usr/bin/env bash
# Instructions of one request through the client, the HTTP session alone and plain
# libcurl, counted by callgrind: unlike wall time they do not depend on the load of the
# machine. Each side runs in two processes, with FEW and MANY requests after the same
# warm-up; the difference of their counts over MANY - FEW is one request's count. The
# threads of the development service (cpp-httplib's listener and workers) are counted apart:
# their count is the same for every side, and their waits in short steps make it vary
# with how long the run takes under callgrind. TLS handshakes are left out too: how many
# connections a run opens (the bench reports them) depends on how long the service keeps
# an idle one under callgrind's slowness, not on the requests. Uses the build run.sh makes
# (run that first).
#
#   bash bench/network/callgrind.sh [FEW MANY]   (50 and 250 by default)
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="${ORVEX_BENCH_BUILD_DIR:-$root/build/bench-network}"
few="${1:-50}"
many="${2:-250}"
out="$build/callgrind"
rm -rf "$out" && mkdir -p "$out" "$build/bench-media"

# Prints "<instructions of the process's own threads> <instructions of the service's threads>".
instructions() { # side requests
  local prefix="$out/$1-$2"
  ORVEX_BENCH_MEDIA_DIR="$build/bench-media" valgrind --tool=callgrind --separate-threads=yes \
    --callgrind-out-file="$prefix.out" "$build/bench/network/network_bench" --only "$1" "$2" \
    >/dev/null 2>"$prefix.log" || {
    tail -20 "$prefix.log" >&2
    exit 1
  }
  local own=0 service=0 count handshakes
  for file in "$prefix".out-*; do
    count=$(awk '/^(summary|totals):/ {print $2; exit}' "$file")
    handshakes=$(callgrind_annotate --inclusive=yes "$file" 2>/dev/null |
      awk '/:SSL_do_handshake / {gsub(",", "", $1); print $1; exit}')
    count=$((count - ${handshakes:-0}))
    if grep -q 'ThreadPool::worker\|listen_after_bind' "$file"; then
      service=$((service + count))
    else
      own=$((own + count))
    fi
  done
  echo "$own $service"
}

for side in libcurl session client; do
  read -r ownFew serviceFew <<<"$(instructions "$side" "$few")"
  read -r ownMany serviceMany <<<"$(instructions "$side" "$many")"
  requests=$((many - few))
  printf '%-8s %8d instructions per request in the process'"'"'s own threads (%d in the service'"'"'s)\n' \
    "$side:" $(((ownMany - ownFew) / requests)) $(((serviceMany - serviceFew) / requests))
done
