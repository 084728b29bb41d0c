#!/usr/bin/env bash
# Sets up the machine, builds, starts a throw-away PostgreSQL server and runs every test
# on SQLite and on PostgreSQL.
set -euo pipefail
cd "$(dirname "$0")/.."
root="$PWD"
scripts/setup.sh
scripts/build.sh
pgdir=$(mktemp -d /tmp/rek2-pg.XXXXXX)
port=$(( 55000 + RANDOM % 5000 ))
trap '"$root/scripts/pg-test-server.sh" stop "$pgdir"' EXIT
export REK2_TEST_PG_URL=$(scripts/pg-test-server.sh start "$pgdir" "$port")
export REK2_TEST_PG_USER=rek2 REK2_TEST_PG_PASSWORD=rek2
export QT_QPA_PLATFORM=offscreen
cd "${REK2_BUILD_DIR:-build}"
status=0
ctest --output-on-failure -j"$(nproc)" --timeout 900 || status=$?
exit $status
