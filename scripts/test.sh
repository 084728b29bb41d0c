#!/usr/bin/env bash
# Sets up the machine, builds, starts a throw-away PostgreSQL server and runs every test
# on SQLite and on PostgreSQL.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh
source scripts/throwaway-pg.sh
cd "${REK2_BUILD_DIR:-build}"
status=0
ctest --output-on-failure -j"$(nproc)" --timeout 900 || status=$?
exit $status
