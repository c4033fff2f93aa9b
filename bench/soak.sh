#!/usr/bin/env bash
# Soak run: builds tkw_soak_bench in Release and runs it on a virtual X server of its own. Arguments
# go to the program (for instance --cycles 100). The build folder is build-soak unless SOAK_BUILD
# names another.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${SOAK_BUILD:-$root/build-soak}
bash "$root/scripts/deps.sh" build-essential cmake pkg-config qt6-base-dev qt6-base-dev-tools qt6-webengine-dev \
  libcurl4-openssl-dev libgl-dev libbenchmark-dev xvfb x11-utils fonts-dejavu-core
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DTICKERWELL_BENCH=ON -DBUILD_TESTING=OFF >/dev/null
cmake --build "$build" --target tkw_soak_bench --parallel "${JOBS:-2}"
source "$root/scripts/xvfb.sh"
start_xvfb
"$build/bench/tkw_soak_bench" "$@"
