#!/usr/bin/env bash
# Slow clients against a fresh fusewick-scores: CONNECTIONS connections from
# 127.0.0.2 each send a byte of a request header every 2 s (reconnecting
# when cut) for SECONDS, while a player from 127.0.0.3 sends version requests
# and submissions. Fails if any of the player's requests failed or took
# LIMIT seconds or more. Extra arguments go to the server (for example
# --connections-per-address 300 to let every slow connection in).
#
#   slow-clients.sh SERVER LOADTOOL [CONNECTIONS=256] [SECONDS=20] [LIMIT=1] [server options...]
set -euo pipefail
server="$1" load="$2" connections="${3:-256}" seconds="${4:-20}" limit="${5:-1}"
shift $(( $# < 5 ? $# : 5 ))
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
start_server slow --db "$work/scores.sqlite" --echo-rate 0 --submit-rate 0 "$@"
"$load" slow --port "$port" --connections "$connections" --seconds "$seconds" --limit "$limit" \
  --from 127.0.0.2 --player 127.0.0.3
