#!/usr/bin/env bash
# Builds the benchmark, starts a throw-away PostgreSQL server and times the daily run on
# SQLite and PostgreSQL. Arguments go to rek2bench, e.g.
#   scripts/bench.sh --sizes 1000,10000 --backends sqlite
set -euo pipefail
cd "$(dirname "$0")/.."
build="${REK2_BUILD_DIR:-build}"
scripts/setup.sh
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j"$(nproc)" --target rek2bench
pgdir=$(mktemp -d /tmp/rek2-pg.XXXXXX)
port=$(( 55000 + RANDOM % 5000 ))
trap 'scripts/pg-test-server.sh stop "$pgdir"' EXIT
export REK2_TEST_PG_URL=$(scripts/pg-test-server.sh start "$pgdir" "$port")
export REK2_TEST_PG_USER=rek2 REK2_TEST_PG_PASSWORD=rek2
export QT_QPA_PLATFORM=offscreen
echo "machine: $(nproc) cores, $(free -g | awk '/^Mem:/ {print $2}') GiB, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ //')"
"$build/bench/rek2bench" "$@"
