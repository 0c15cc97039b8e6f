#!/usr/bin/env bash
# Nothing acknowledged is lost: floods fusewick-scores, kills it with
# SIGKILL in the middle, starts it again on the same database, floods on, and
# then checks every acknowledged submission against the rows (each stored
# exactly once). BACKEND is sqlite or a postgresql://... URL.
#
#   kill-flood.sh SERVER LOADTOOL [BACKEND=sqlite] [SECONDS=3]
set -euo pipefail
server="$1" load="$2" backend="${3:-sqlite}" seconds="${4:-3}"
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
db="$backend"
[ "$backend" = sqlite ] && db="$work/scores.sqlite"
limits=(--echo-rate 0 --submit-rate 0 --max-rows-per-name 1000000000 --max-rows 1000000000)

start_server first --db "$db" "${limits[@]}"
PORT="$port"
"$load" flood --port "$port" --from 127.0.0.2 --threads 8 --seconds $(( 3 * seconds )) \
  --acked "$work/acked" --tag "K$$" > "$work/flood.txt" &
flood=$!
sleep "$seconds"
kill -9 "$pid"
wait "$pid" 2>/dev/null || true
echo "killed the server after $(wc -l < "$work/acked") acknowledged submissions"
start_server second --db "$db" "${limits[@]}"
wait "$flood"
cat "$work/flood.txt"
kill -TERM "$pid"
wait "$pid" 2>/dev/null || true
"$load" check --db "$db" --acked "$work/acked"
