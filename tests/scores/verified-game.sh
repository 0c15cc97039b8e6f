#!/bin/bash
# A whole game against the real score server: the replay runner plays a
# scripted game (seed 17 from level 1 loses its last life on level 3 with 120 points,
# then the name is typed and the submission confirmed), the game submits
# and uploads its recording, the server's verifier re-plays it with the
# real runner, and the result shows as verified in /api/scores and on the
# page; its recording downloads byte for byte as the game kept it. Then the
# same recording is offered for forged results: another name, another
# score, an unknown echo value, the used echo value again; none is verified.
#
#   verified-game.sh SERVER RUNNER DATA LOAD-TOOL
set -euo pipefail
server=$1 runner=$2 data=$3 load=$4

work=$(mktemp -d)
pid=
cleanup() {
  [ -n "$pid" ] && kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*" >&2
  echo "--- server log" >&2
  tail -20 "$work/server.err" >&2 || true
  exit 1
}

mkdir -p "$work/game/Data/Save"
ln -s "$data/Res" "$work/game/Data/Res"
ln -s "$data/Music" "$work/game/Data/Music"

# A sanitizer build of the runner reserves terabytes of address space.
"$server" --port 0 --db "$work/scores.sqlite" --verifier "$runner" --verifier-data "$work/game" \
  --verify-memory 0 --echo-rate 0 --submit-rate 0 --upload-rate 0 >"$work/server.out" 2>"$work/server.err" &
pid=$!
for _ in $(seq 100); do grep -q listening "$work/server.out" && break; sleep 0.1; done
port=$(sed -n 's/.*listening on .*:\([0-9]*\)$/\1/p' "$work/server.out")
[ -n "$port" ] || fail "the server did not start"
url="http://127.0.0.1:$port"

# One character a tick: the name entry takes one per tick.
{
  tick=5520
  for ch in E V E " " T E S T E R; do
    echo "$tick type $ch"
    tick=$((tick + 2))
  done
  echo "5545 +Enter"
  echo "5548 -Enter"
  echo "5560 +Y"
  echo "5563 -Y"
} >"$work/game.script"
FUSEWICK_SERVER=127.0.0.1:$port "$runner" --data "$work/game" --seed 17 --start game --ticks 5700 \
  --script "$work/game.script" --record "$work/game.fwr" >/dev/null ||
  fail "the scripted game did not run"
[ -s "$work/game.fwr" ] || fail "the game kept no recording"

# The runner re-plays the kept recording to the game's result.
result=$("$runner" --data "$work/game" --replay "$work/game.fwr") || fail "the recording does not re-play"
[ "$result" = $'score: 120\nlevel: 3\nticks: '"$(sed -n 's/^ticks: //p' <<<"$result")"$'\nname: EVE TESTER' ] ||
  fail "unexpected re-play result: $result"

api() { curl -sf "$url/api/scores?limit=100"; }
waitfor() {  # waits until /api/scores holds the text
  for _ in $(seq 300); do
    api | grep -qF "$1" && return 0
    sleep 0.2
  done
  return 1
}
waitfor '"name":"EVE TESTER","score":120,"verified":true,"replay":"/replay/1"' || fail "not verified: $(api)"
curl -sf "$url/replay/1" -o "$work/download.fwr" || fail "no download"
cmp -s "$work/download.fwr" "$work/game.fwr" || fail "the download differs from the game's recording"
curl -sf "$url/cgi/version.pl?prg=Fusewick&type=0&show" | grep -q '/replay/1' || fail "the page does not link the recording"

# Forged results, each submitted as the game does, then offered the
# genuine recording; a verifier run that refuses it counts as refused.
echo_value() { curl -sf "$url/cgi/version.pl?version&prg=Fusewick" | cut -d'|' -f5; }
upload() {  # echo -> HTTP status
  curl -s -o /dev/null -w '%{http_code}' --data-binary @"$work/game.fwr" \
    -H 'Content-Type: application/octet-stream' "$url/replay?echo=$1"
}
refused() { curl -sf "$url/metrics" | sed -n 's/^fusewick_scores_verifications_total{outcome="refused"} //p'; }
n=0
for forged in "EVE TESTEX:120" "EVE TESTER:121" "EVE TESTE:120" "EVE TESTER:119"; do
  e=$("$load" submit --port "$port" --name "${forged%:*}" --score "${forged##*:}") || fail "submission of $forged"
  [ "$(upload "$e")" = 200 ] || fail "the upload for $forged was not taken"
  n=$((n + 1))
  for _ in $(seq 300); do [ "$(refused)" = "$n" ] && break; sleep 0.2; done
  [ "$(refused)" = "$n" ] || fail "the recording was not refused for $forged"
done
[ "$(upload "$e")" = 409 ] || fail "a second upload for one result was not refused"
[ "$(upload 999999)" = 403 ] || fail "an unknown echo value was not refused"
[ "$(upload "$(echo_value)")" = 403 ] || fail "an issued but unused echo value was not refused"
[ "$(api | grep -o '"verified":true' | wc -l)" = 1 ] || fail "a forged result was verified: $(api)"
echo "verified game: ok"
