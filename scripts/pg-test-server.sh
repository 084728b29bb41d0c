#!/usr/bin/env bash
# Starts (or stops) a throw-away PostgreSQL cluster on loopback for the tests.
#   scripts/pg-test-server.sh start DIR PORT   -> prints the server URL
#   scripts/pg-test-server.sh stop DIR
# The cluster runs as the 'postgres' system user (the server refuses root) and
# accepts the role rek2/rek2 over TCP on 127.0.0.1 only.
set -euo pipefail
cmd="$1"; dir="$2"; port="${3:-54329}"
bindir=$(ls -d /usr/lib/postgresql/*/bin | sort -V | tail -n1)
as_pg() {
  if [ "$(id -u)" -eq 0 ]; then runuser -u postgres -- "$@"; else "$@"; fi
}
case "$cmd" in
  start)
    rm -rf "$dir"; mkdir -p "$dir"
    [ "$(id -u)" -eq 0 ] && chown postgres "$dir"
    as_pg "$bindir/initdb" -D "$dir/data" -U postgres -A trust --no-sync -E UTF8 --locale=C.UTF-8 >"$dir/initdb.log"
    cat >>"$dir/data/postgresql.conf" <<CONF
listen_addresses = '127.0.0.1'
port = $port
unix_socket_directories = '$dir'
fsync = off
synchronous_commit = off
full_page_writes = off
max_connections = 200
CONF
    as_pg "$bindir/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w start >/dev/null
    as_pg "$bindir/psql" -h "$dir" -p "$port" -U postgres -q -c "CREATE ROLE rek2 LOGIN SUPERUSER PASSWORD 'rek2'" postgres
    as_pg "$bindir/psql" -h "$dir" -p "$port" -U postgres -q -c "CREATE DATABASE rek2 OWNER rek2" postgres
    echo "postgresql://127.0.0.1:$port/rek2"
    ;;
  stop)
    [ -d "$dir/data" ] && as_pg "$bindir/pg_ctl" -D "$dir/data" -m immediate stop >/dev/null 2>&1 || true
    rm -rf "$dir"
    ;;
esac
