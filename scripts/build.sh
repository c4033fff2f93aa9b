#!/usr/bin/env bash
# Installs the build dependencies and builds Tickerwell into the folder given (default: build).
# Extra arguments go to CMake's configure step; TKW_BUILD_TARGETS may name the targets to build.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
shift || true
bash "$root/scripts/deps.sh" $(grep -v '^#' "$root/scripts/packages.txt")
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
# shellcheck disable=SC2086 # the target list is split into words on purpose
cmake --build "$build" --parallel "$(nproc)" ${TKW_BUILD_TARGETS:+--target $TKW_BUILD_TARGETS}
