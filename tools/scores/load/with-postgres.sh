#!/usr/bin/env bash
# Runs a command against a throw-away PostgreSQL server: initdb and pg_ctl
# in a temporary folder, as an unprivileged user (nobody when run as root,
# since PostgreSQL refuses to run as root), listening on a Unix socket in that
# folder only. Every argument "@PG@" of the command becomes the database's
# URL, which is also exported as FUSEWICK_TEST_POSTGRES. The server is
# stopped and the folder removed afterwards. Exits 77 (a skip for ctest) with
# a message if PostgreSQL cannot be started.
#
#   with-postgres.sh COMMAND [ARGS...]
set -euo pipefail
bin="$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -1)"
if [ -z "$bin" ] || [ ! -x "$bin/initdb" ]; then
  echo "SKIPPED: PostgreSQL is not installed (Debian package postgresql)"
  exit 77
fi
dir="$(mktemp -d /tmp/fwpg.XXXXXX)"
as=()
if [ "$(id -u)" -eq 0 ]; then
  chown nobody: "$dir"
  as=(runuser -u nobody --)
fi
stop() {
  "${as[@]}" "$bin/pg_ctl" -D "$dir/data" -m immediate stop > /dev/null 2>&1 || true
  rm -rf "$dir"
}
trap stop EXIT
if ! (cd "$dir" && "${as[@]}" "$bin/initdb" -D "$dir/data" -U fusewick --auth=trust --no-sync -E UTF8 \
        > "$dir/initdb.log" 2>&1) ||
   ! (cd "$dir" && "${as[@]}" "$bin/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 60 \
        -o "-c listen_addresses='' -k $dir -c max_connections=200" start > /dev/null 2>&1); then
  echo "SKIPPED: PostgreSQL could not be started:"
  tail -5 "$dir/initdb.log" "$dir/server.log" 2>/dev/null || true
  exit 77
fi
url="postgresql://fusewick@/postgres?host=$dir"
export FUSEWICK_TEST_POSTGRES="$url"
args=()
for a in "$@"; do args+=("${a//@PG@/$url}"); done
set +e
"${args[@]}"
status=$?
set -e
exit "$status"
