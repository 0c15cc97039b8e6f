#!/usr/bin/env bash
# Rate limits per address: 127.0.0.2 floods a fresh fusewick-scores (default
# limits) for SECONDS while 127.0.0.3 plays now and then. The flooder must be
# answered 429 and get no more than the limits allow; the player must get
# every request through.
#
#   rate-limits.sh SERVER LOADTOOL [SECONDS=10]
set -euo pipefail
server="$1" load="$2" seconds="${3:-10}"
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
start_server rate --db "$work/scores.sqlite"
"$load" flood --port "$port" --from 127.0.0.2 --threads 4 --seconds "$seconds" > "$work/flood.txt" &
flood=$!
"$load" player --port "$port" --from 127.0.0.3 --count 5 --limit 3
wait "$flood"
cat "$work/flood.txt"
grep -q "version 429=" "$work/flood.txt" || { echo "the flooder was never refused"; exit 1; }
stored="$(sed -n 's/.* stored=\([0-9]*\).*/\1/p' "$work/flood.txt")"
# At most the 20 a minute at once plus what refills meanwhile.
max=$(( 20 + 20 * seconds / 60 + 1 ))
echo "flooder stored ${stored:-0} (limit allows $max)"
[ "${stored:-0}" -le "$max" ] || { echo "the flooder stored more than the limit allows"; exit 1; }
