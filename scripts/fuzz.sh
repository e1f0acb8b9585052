#!/usr/bin/env bash
# Builds and runs the bad-input suite (tests/fuzz) under AddressSanitizer,
# LeakSanitizer and UndefinedBehaviorSanitizer.
#
#   scripts/fuzz.sh [BUILD_DIR]        (default: build/ in the repository)
#
# Configures tests/fuzz in BUILD_DIR/fuzz, builds it with two jobs, starts a
# private MariaDB server of its own on port 33091 (stopped again on exit) and
# runs the suite. Exits non-zero on any failure or sanitizer report.
set -euo pipefail

REPO=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD=$(realpath -m -- "${1:-$REPO/build}")
FUZZ="$BUILD/fuzz"
JOBS=${VARELO_JOBS:-2}
PORT=${VARELO_FUZZ_DB_PORT:-33091}
DB_DIR="$FUZZ/test-mariadb"

cmake -S "$REPO/tests/fuzz" -B "$FUZZ"
cmake --build "$FUZZ" -j"$JOBS"

stop_db() { "$REPO/scripts/private-mariadb.sh" stop "$DB_DIR" >/dev/null 2>&1 || true; }
trap stop_db EXIT
"$REPO/scripts/private-mariadb.sh" start "$DB_DIR" "$PORT"

export VARELO_TEST_DB_DIR="$DB_DIR"
export VARELO_TEST_DB_PORT="$PORT"
export VARELO_SOURCE_DIR="$REPO"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
"$FUZZ/bad_input_tests"
