# Sourced by the bench scripts: starts the development service on free ports, writing the
# client configuration to <work>/service.json, and waits until it is ready. Sets
# service_pid (the caller stops it); exits the script when the service does not start.
start_devservice() { # build work
  local build=$1 work=$2
  "$build/tools/devservice/orvex-devservice" --data "$work/service" --port1 0 --port2 0 \
    --client-config "$work/service.json" >"$work/service.log" 2>&1 &
  service_pid=$!
  for _ in $(seq 600); do
    grep -q '^orvex-devservice ready' "$work/service.log" && return
    sleep 0.1
  done
  echo "the service did not start"
  cat "$work/service.log"
  exit 1
}
