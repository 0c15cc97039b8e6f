#!/usr/bin/env bash
# The corpus of recorded games (tests/recordings/) re-played by the built
# runner: each must come to the level scores and final score it stores
# (the runner checks them) and to its lines in expected.txt.
#
#   corpus.sh RUNNER DATA CORPUS_DIR
set -uo pipefail
runner="$1" data="$2" corpus="$3"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/game/Data/Save"
ln -s "$data/Res" "$work/game/Data/Res"
ln -s "$data/Music" "$work/game/Data/Music"

status=0
count=0
for f in "$corpus"/*.fwr; do
  [ -e "$f" ] || break
  name="$(basename "$f")"
  count=$((count + 1))
  want="$(sed -n "/^== $name\$/,/^==/{/^==/d;p}" "$corpus/expected.txt")"
  got="$("$runner" --data "$work/game" --replay "$f" 2>"$work/err")"
  rc=$?
  if [ $rc != 0 ] || [ -z "$want" ] || [ "$got" != "$want" ]; then
    echo "FAIL: $name (exit $rc): $(head -c 600 "$work/err")"
    [ "$got" != "$want" ] && printf 're-played to:\n%s\nexpected:\n%s\n' "$got" "$want"
    status=1
  fi
done
if [ $count = 0 ]; then
  echo "FAIL: no recordings in $corpus"
  exit 1
fi
if [ $status != 0 ]; then
  cat <<'MSG'

Play changed: the recorded games no longer come to their scores (or the
images' names or sizes changed). If the change is meant to change play,
bump kLogicVersion in src/services/LogicVersion.h and re-record the corpus
with
    scripts/record-corpus BUILD_DIR
(a Release build folder holding fusewick-replay and Data/), and commit the
new tests/recordings/ with the change. If it is not, it is a bug.
MSG
  exit 1
fi
echo "corpus: $count recordings re-play to their scores"
