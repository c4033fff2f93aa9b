#!/usr/bin/env bash
# Builds Tickerwell with warnings as errors and runs the whole test suite through CTest on a
# virtual X server of its own.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build-test
bash "$root/scripts/build.sh" "$build" -DTICKERWELL_WERROR=ON -DBUILD_TESTING=ON
source "$root/scripts/xvfb.sh"
start_xvfb
trap 'kill $XVFB_PID 2>/dev/null || true' EXIT
cd "$build"
ctest --output-on-failure --timeout 300 -j "$(nproc)"
