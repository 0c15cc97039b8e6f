#!/bin/sh
# Runs the archive fuzz target for a bounded time over the committed seeds;
# new inputs go to a scratch corpus in the build folder, never to the seeds.
# usage: run_fuzzer.sh FUZZER SEED_DIR DICT WORK_DIR SECONDS
set -eu
fuzzer="$1" seeds="$2" dict="$3" work="$4" seconds="$5"
rm -rf "$work"
mkdir -p "$work/corpus" "$work/artifacts"
exec "$fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
  -dict="$dict" -artifact_prefix="$work/artifacts/" "$work/corpus" "$seeds"
