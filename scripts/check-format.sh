#!/usr/bin/env bash
# Checks that every C and C++ file of the project is laid out as .clang-format says (clang-format 14).
# With --fix it rewrites the files instead.
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files '*.c' '*.h' '*.cpp' '*.hpp')
if [ "${1:-}" = --fix ]; then
  clang-format-14 -i "${files[@]}"
else
  clang-format-14 --dry-run --Werror "${files[@]}"
fi
