#!/usr/bin/env bash
# Fails when a C++ file of the project strays from .clang-format; prints where.
#   scripts/check-format.sh          check every tracked .cpp and .h file
#   scripts/check-format.sh --fix    rewrite them in place instead
set -euo pipefail
cd "$(dirname "$0")/.."
formatter=clang-format-14
command -v "$formatter" >/dev/null || scripts/deps.sh
mapfile -t files < <(git ls-files '*.cpp' '*.h')
if [ "${1:-}" = --fix ]; then
  "$formatter" -i "${files[@]}"
else
  "$formatter" --dry-run -Werror "${files[@]}"
  echo "check-format.sh: ${#files[@]} files match .clang-format"
fi
