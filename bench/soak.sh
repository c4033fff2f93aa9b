#!/usr/bin/env bash
# Soak run: builds tkw_soak_bench in Release and runs it on a virtual X server of its own. Arguments
# go to the program (for instance --cycles 100). The build folder is build-soak unless SOAK_BUILD
# names another.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${SOAK_BUILD:-$root/build-soak}
bash "$root/scripts/deps.sh" $(grep -hv '^#' "$root"/scripts/packages-{run,test}.txt) libbenchmark-dev
# The benchmark serves its pages with the tests' loopback server, so the test support is built too.
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DTICKERWELL_BENCH=ON -DBUILD_TESTING=ON >/dev/null
cmake --build "$build" --target tkw_soak_bench --parallel "${JOBS:-2}"
source "$root/scripts/xvfb.sh"
start_xvfb
# The history of the soak's versions goes to a folder of its own, never to the user's.
export XDG_DATA_HOME=$(mktemp -d)
trap 'kill $XVFB_PID 2>/dev/null || true; rm -rf "$XDG_DATA_HOME"' EXIT
"$build/bench/tkw_soak_bench" "$@"
