#!/usr/bin/env bash
# Builds the Release programs and runs the benchmarks behind the store, filter
# and command-line rows of the README's Performance section. Each prints its
# steps for the fixture sizes side by side (XL holds ten times the data of L,
# so a cost that grows linearly shows about 10 in the XL/L column).
#
# usage: bash scripts/bench.sh [SIZE...]      (sizes S, M, L, XL; default all)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
bash scripts/install-deps.sh --bench

cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DQUARRIX_BENCH=ON >/dev/null
cmake --build build/release -j2 --target quarrix-cli bench_store bench_analysis bench_cli
bench="$root/build/release/bench"

# Progress goes to standard error; the tables come at the end of each.
echo "== The store: open, count, read (bench_store)"
"$bench/bench_store" "$@" 2>/dev/null
echo
echo "== The derivation and the division filter with the tabs shown (bench_analysis)"
QT_QPA_PLATFORM=offscreen "$bench/bench_analysis" "$@" 2>/dev/null
echo
echo "== quarrix-cli against the sqlite3 shell on the same file (bench_cli)"
"$bench/bench_cli" "$@" 2>/dev/null
