#!/usr/bin/env bash
# Prints the benchmark report (bench/report.cpp) against a private MariaDB
# server of its own.
#
#   scripts/bench.sh [BUILD_DIR] [--quick]   (default: build/ in the repository)
#
# Installs the packages, builds bench_report and the program (which its
# latency section runs) in BUILD_DIR (an existing build folder is reused),
# starts a private server on port 33092 (stopped again on exit) and runs the
# report on it. --quick runs every section on small sizes.
set -euo pipefail

REPO=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD="$REPO/build"
if [ $# -gt 0 ] && [ "${1#--}" = "$1" ]; then
  BUILD=$1
  shift
fi
BUILD=$(realpath -m -- "$BUILD")
JOBS=${VARELO_JOBS:-2}
PORT=${VARELO_BENCH_DB_PORT:-33092}
DB_DIR="$BUILD/bench-mariadb"

"$REPO/scripts/install-deps.sh"
if [ ! -f "$BUILD/CMakeCache.txt" ]; then
  cmake -S "$REPO" -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$BUILD" -j"$JOBS" --target bench_report >/dev/null

stop_db() { "$REPO/scripts/private-mariadb.sh" stop "$DB_DIR" >/dev/null 2>&1 || true; }
trap stop_db EXIT
"$REPO/scripts/private-mariadb.sh" start "$DB_DIR" "$PORT" >/dev/null

"$BUILD/bench/bench_report" "127.0.0.1;Port=$PORT" "$@"
