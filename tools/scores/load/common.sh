# Shared by the load scripts: starting fusewick-scores on a free loopback
# port and stopping it. Source it; it sets $work (a temp folder removed at exit).
work="$(mktemp -d)"
server_pids=()
cleanup() {
  for p in "${server_pids[@]}"; do kill -9 "$p" 2>/dev/null || true; done
  for p in "${server_pids[@]}"; do wait "$p" 2>/dev/null || true; done
  [ -n "${KEEP_WORK:-}" ] || rm -rf "$work"
}
trap cleanup EXIT

# start_server NAME ARGS...: starts the server in the background with its
# output in $work/NAME.out and .err; sets $port and $pid.
start_server() {
  local name="$1"; shift
  "$server" --host 127.0.0.1 --port "${PORT:-0}" --no-request-log "$@" > "$work/$name.out" 2> "$work/$name.err" &
  pid=$!
  server_pids+=("$pid")
  for _ in $(seq 200); do
    grep -q listening "$work/$name.out" 2>/dev/null && break
    if ! kill -0 "$pid" 2>/dev/null; then cat "$work/$name.err" >&2; echo "server $name did not start" >&2; exit 1; fi
    sleep 0.05
  done
  port="$(sed -n 's/.*:\([0-9]*\)$/\1/p' "$work/$name.out")"
  [ -n "$port" ] || { cat "$work/$name.err" >&2; echo "server $name did not start" >&2; exit 1; }
}
