#!/usr/bin/env bash
# Two server processes on one PostgreSQL database: two floods at once, each
# taking its echo values from one process and submitting to the other, then
# every acknowledged submission checked against the rows (none lost, none
# stored twice).
#
#   two-processes.sh SERVER LOADTOOL URL [SECONDS=4]
set -euo pipefail
server="$1" load="$2" url="$3" seconds="${4:-4}"
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
limits=(--echo-rate 0 --submit-rate 0 --max-rows-per-name 1000000000 --max-rows 1000000000)
start_server a --db "$url" "${limits[@]}"
port_a="$port"
start_server b --db "$url" "${limits[@]}"
port_b="$port"
"$load" flood --port "$port_a" --submit-port "$port_b" --from 127.0.0.2 --threads 4 --seconds "$seconds" \
  --acked "$work/acked-a" --tag "A$$" &
flood_a=$!
"$load" flood --port "$port_b" --submit-port "$port_a" --from 127.0.0.3 --threads 4 --seconds "$seconds" \
  --acked "$work/acked-b" --tag "B$$"
wait "$flood_a"
"$load" check --db "$url" --acked "$work/acked-a" --acked "$work/acked-b"
