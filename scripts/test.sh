#!/usr/bin/env bash
# Builds VareloSync and runs all its tests.
#
#   scripts/test.sh [BUILD_DIR]        (default: build/ in the repository)
#
# Installs the Debian packages first (scripts/install-deps.sh), configures a
# fresh build folder, builds with two jobs and runs ctest. The database tests
# start their own private MariaDB server (scripts/private-mariadb.sh) inside
# the build folder. Set VARELO_KEEP_BUILD=1 to reuse an existing build folder.
set -euo pipefail

REPO=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD=$(realpath -m -- "${1:-$REPO/build}")
JOBS=${VARELO_JOBS:-2}

"$REPO/scripts/install-deps.sh"

# A test server left running by an interrupted earlier run would keep its port.
if [ -d "$BUILD/test-mariadb" ]; then
  "$REPO/scripts/private-mariadb.sh" stop "$BUILD/test-mariadb" || true
fi

if [ "${VARELO_KEEP_BUILD:-0}" != 1 ] && [ -d "$BUILD" ]; then
  if [ "$BUILD" = "$REPO" ] || [ "$BUILD" = / ]; then
    echo "test.sh: refusing to wipe $BUILD" >&2
    exit 1
  fi
  if [ -f "$BUILD/CMakeCache.txt" ] || [ -z "$(ls -A "$BUILD")" ]; then
    rm -rf -- "$BUILD"
  else
    echo "test.sh: $BUILD exists and is not a build folder; not wiping it" >&2
    exit 1
  fi
fi

# The fault-point harness is built for the tests only, never for the package.
cmake -S "$REPO" -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVARELO_BUILD_TESTS=ON -DVARELO_FAULT_POINTS=ON
cmake --build "$BUILD" -j"$JOBS"

# No display in CI: Qt renders off screen.
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$BUILD" --output-on-failure

# The bad-input suite under the sanitizers, in its own build folder.
"$REPO/scripts/fuzz.sh" "$BUILD"
