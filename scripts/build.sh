#!/usr/bin/env bash
# Installs the dependencies and builds Tickerwell into the folder given (default: build). Extra
# arguments go to CMake's configure step; TKW_BUILD_TARGETS may name the targets to build.
# TKW_PACKAGES=run installs only what building and running need (scripts/packages-run.txt); by
# default what testing and packaging need comes too (scripts/packages-test.txt).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
shift || true
lists=("$root/scripts/packages-run.txt")
[ "${TKW_PACKAGES:-test}" = run ] || lists+=("$root/scripts/packages-test.txt")
# shellcheck disable=SC2046 # one package a word
bash "$root/scripts/deps.sh" $(grep -hv '^#' "${lists[@]}")
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
# shellcheck disable=SC2086 # the target list is split into words on purpose
cmake --build "$build" --parallel "$(nproc)" ${TKW_BUILD_TARGETS:+--target $TKW_BUILD_TARGETS}
