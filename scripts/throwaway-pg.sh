# Sourced by the test and benchmark scripts from the project folder: starts a throw-away
# PostgreSQL server on a random port, stops it when the calling script exits, and exports
# what the tests and the benchmark read to reach it.
rek2_scripts="$PWD/scripts"
pgdir=$(mktemp -d /tmp/rek2-pg.XXXXXX)
port=$(( 55000 + RANDOM % 5000 ))
trap '"$rek2_scripts/pg-test-server.sh" stop "$pgdir"' EXIT
export REK2_TEST_PG_URL=$("$rek2_scripts/pg-test-server.sh" start "$pgdir" "$port")
export REK2_TEST_PG_USER=rek2 REK2_TEST_PG_PASSWORD=rek2
export QT_QPA_PLATFORM=offscreen
