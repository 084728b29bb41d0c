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
source scripts/throwaway-pg.sh
echo "machine: $(nproc) cores, $(free -g | awk '/^Mem:/ {print $2}') GiB, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ //')"
"$build/bench/rek2bench" "$@"
