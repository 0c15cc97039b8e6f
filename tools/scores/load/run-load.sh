#!/usr/bin/env bash
# Measures fusewick-scores on loopback with wrk (Debian package wrk): first
# submissions (each one a version request and a submission, as the game
# sends them), then views of the world high-score page; then the rows and
# the database's size. Rate limits are off for the run. Not part of the test
# suite; run it by hand on an otherwise idle machine.
#
#   tools/scores/load/run-load.sh [path/to/fusewick-scores]
#   (DURATION=10s CONNECTIONS=16 THREADS=1; DB=postgresql://... for PostgreSQL,
#    a fresh SQLite file by default; PROCESSES=2 runs two servers on one
#    PostgreSQL database, each loaded by its own wrk)
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
server="${1:-$here/../../../build/tools/scores/fusewick-scores}"
duration="${DURATION:-10s}"
connections="${CONNECTIONS:-16}"
threads="${THREADS:-1}"
processes="${PROCESSES:-1}"
source "$here/common.sh"
db="${DB:-$work/scores.sqlite}"

metrics() {  # the server's /metrics, through bash's own TCP
  exec 3<>"/dev/tcp/127.0.0.1/$1"
  printf 'GET /metrics HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n' >&3
  cat <&3
  exec 3<&-
}

ports=()
for n in $(seq "$processes"); do
  start_server "load$n" --db "$db" --echo-rate 0 --submit-rate 0 --max-rows-per-name 1000000000 \
    --max-rows 1000000000 --requests-per-connection 1000000 --connection-age 3600
  ports+=("$port")
done

echo "== submissions: wrk -t$threads -c$connections -d$duration, $processes process(es)"
wrks=()
for p in "${ports[@]}"; do
  wrk -t"$threads" -c"$connections" -d"$duration" --latency -s "$here/submit.lua" "http://127.0.0.1:$p/" \
    > "$work/submit-$p.txt" &
  wrks+=($!)
done
wait "${wrks[@]}"
acknowledged=0
for p in "${ports[@]}"; do
  cat "$work/submit-$p.txt"
  n="$(sed -n 's/^stored \([0-9]*\) submissions.*/\1/p' "$work/submit-$p.txt")"
  acknowledged=$(( acknowledged + ${n:-0} ))
done
sleep 3  # one upkeep round: the row count and the size in /metrics are fresh
rows="$(metrics "${ports[0]}" | sed -n 's/^fusewick_scores_results \([0-9]*\).*/\1/p')"
bytes="$(metrics "${ports[0]}" | sed -n 's/^fusewick_scores_database_bytes \([0-9]*\).*/\1/p')"
echo "acknowledged $acknowledged, rows in the database $rows, database $bytes bytes"
if [ "$rows" -lt "$acknowledged" ]; then echo "ROWS LOST"; exit 1; fi

echo "== world high-score page: wrk -t$threads -c$connections -d$duration"
wrk -t"$threads" -c"$connections" -d"$duration" --latency "http://127.0.0.1:${ports[0]}/cgi/version.pl?prg=Fusewick&type=0&show"
