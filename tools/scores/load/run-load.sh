#!/usr/bin/env bash
# Measures fusewick-scores on loopback with wrk (Debian package wrk): first
# submissions (each one a version request and a submission, as the game
# sends them), then views of the world high-score page. Counts the stored
# rows against the submissions the server acknowledged. Not part of the test
# suite; run it by hand on an otherwise idle machine.
#
#   tools/scores/load/run-load.sh [path/to/fusewick-scores]
#   (DURATION=10s CONNECTIONS=16 THREADS=1 by default)
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
bin="${1:-$here/../../../build/tools/scores/fusewick-scores}"
duration="${DURATION:-10s}"
connections="${CONNECTIONS:-16}"
threads="${THREADS:-1}"
work="$(mktemp -d)"
trap 'kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; rm -rf "$work"' EXIT

"$bin" --host 127.0.0.1 --port 0 --db "$work/scores.sqlite" --threads 64 > "$work/out" &
pid=$!
for _ in $(seq 50); do grep -q listening "$work/out" 2>/dev/null && break; sleep 0.1; done
port="$(sed -n 's/.*:\([0-9]*\)$/\1/p' "$work/out")"
base="http://127.0.0.1:$port"

echo "== submissions: wrk -t$threads -c$connections -d$duration"
wrk -t"$threads" -c"$connections" -d"$duration" --latency -s "$here/submit.lua" "$base/" | tee "$work/submit.txt"
acknowledged="$(sed -n 's/^stored \([0-9]*\) submissions.*/\1/p' "$work/submit.txt")"
rows="$(sqlite3 "$work/scores.sqlite" 'SELECT count(*) FROM results')"
echo "acknowledged $acknowledged, rows in the database $rows"
if [ "$rows" -lt "$acknowledged" ]; then echo "ROWS LOST"; exit 1; fi

echo "== world high-score page: wrk -t$threads -c$connections -d$duration"
wrk -t"$threads" -c"$connections" -d"$duration" --latency "$base/cgi/version.pl?prg=Fusewick&type=0&show"
