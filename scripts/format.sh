#!/usr/bin/env bash
# Checks that the C++ sources follow .clang-format; with --fix, formats them in place.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh clang-format
if [ "${1:-}" = "--fix" ]; then
  git ls-files '*.cpp' '*.h' | xargs clang-format -i
else
  git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run -Werror
fi
