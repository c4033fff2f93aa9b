#!/usr/bin/env bash
# Installs the build dependencies and builds Tickerwell into the folder given (default: build).
# Extra arguments go to CMake's configure step.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
shift || true
bash "$root/scripts/deps.sh" build-essential cmake pkg-config qt6-base-dev qt6-base-dev-tools \
  qt6-webengine-dev libcurl4-openssl-dev libgl-dev googletest libgmock-dev libgtest-dev \
  xvfb xauth xdotool x11-utils openbox trayer fonts-liberation2 fonts-dejavu-core ca-certificates
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
cmake --build "$build" --parallel "$(nproc)"
