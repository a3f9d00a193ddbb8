#!/usr/bin/env bash
# Installs what the tests need, builds Quarrix with warnings as errors, starts a
# throw-away PostgreSQL server for the upload tests, and runs every test twice:
# in the normal build and in an AddressSanitizer + UndefinedBehaviorSanitizer build.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
bash scripts/install-deps.sh --tests

echo "== Formatting"
bash scripts/check_format.sh

jobs=$(nproc)
cmake -S . -B build/test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQUARRIX_WERROR=ON
cmake --build build/test -j "$jobs"

pgdir=$(mktemp -d /tmp/quarrix-pg.XXXXXX)
cleanup() { bash scripts/postgres_for_tests.sh stop "$pgdir" >/dev/null 2>&1 || true; }
trap cleanup EXIT
bash scripts/postgres_for_tests.sh start "$pgdir"
set -a
# shellcheck disable=SC1091
. "$pgdir/env"
set +a

export QT_QPA_PLATFORM=offscreen
echo "== Tests (debug build)"
ctest --test-dir build/test -j "$jobs" --output-on-failure

echo "== Tests (AddressSanitizer + UndefinedBehaviorSanitizer build)"
cmake -S . -B build/asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQUARRIX_WERROR=ON -DQUARRIX_SANITIZE=ON -DQUARRIX_BENCH=OFF
cmake --build build/asan -j "$jobs"
ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build/asan -j "$jobs" --output-on-failure

echo "== Debian package (build, lintian, install, use, remove)"
bash scripts/package_check.sh
