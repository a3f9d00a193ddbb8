#!/usr/bin/env bash
# Installs what the tests need, builds Quarrix with warnings as errors, starts a
# throw-away PostgreSQL server for the upload tests, and runs every test twice:
# in the normal build and in a clang build with AddressSanitizer,
# UndefinedBehaviorSanitizer and LeakSanitizer, which also links the fuzz
# targets under fuzz/; each of those then runs for 60 seconds.
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

echo "== Tests (clang: AddressSanitizer + UndefinedBehaviorSanitizer + LeakSanitizer)"
# A build folder left by another compiler is made anew.
if [[ -f build/asan/CMakeCache.txt ]] && ! grep -q '^CMAKE_CXX_COMPILER:.*clang' build/asan/CMakeCache.txt; then
  rm -rf build/asan
fi
CC=clang CXX=clang++ cmake -S . -B build/asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQUARRIX_WERROR=ON \
  -DQUARRIX_FUZZ=ON -DQUARRIX_BENCH=OFF
cmake --build build/asan -j "$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build/asan -j "$jobs" --output-on-failure

echo "== Fuzzing (60 seconds per target)"
bash fuzz/run_fuzzers.sh build/asan 60

echo "== Debian package (build, lintian, install, use, remove)"
bash scripts/package_check.sh
