#!/usr/bin/env bash
# Fails when a tracked C++ source differs from what the project's .clang-format makes of it.
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files '*.cpp' '*.h')
if ! clang-format --dry-run -Werror "${files[@]}"; then
  echo "Some sources are not formatted: run clang-format -i on the files named above." >&2
  exit 1
fi
