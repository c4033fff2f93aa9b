#!/usr/bin/env bash
# Tray benchmark: builds tkw_tray_bench and tkw_bare_webview in Release and runs them one after the
# other on a virtual X server of its own: the program's figures in the tray (see bench/TrayBench.cpp),
# then the bare Qt web view showing the same page file, its PSS taken 10 s after its page loaded.
# Usage: bench/tray.sh [REFRESHES]   (default 200; the build folder is build-bench unless
# TRAY_BUILD names another)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${TRAY_BUILD:-$root/build-bench}
refreshes=${1:-200}
bash "$root/scripts/deps.sh" $(grep -hv '^#' "$root"/scripts/packages-{run,test}.txt) libbenchmark-dev
# The benchmark serves its pages with the tests' loopback server, so the test support is built too.
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DTICKERWELL_BENCH=ON -DBUILD_TESTING=ON >/dev/null
cmake --build "$build" --target tkw_tray_bench tkw_bare_webview --parallel "${JOBS:-2}" >/dev/null
source "$root/scripts/xvfb.sh"
source "$root/bench/measure.sh"
start_xvfb
work=$(mktemp -d)
# The history of the run's versions goes to the run's own folder, never to the user's.
export XDG_DATA_HOME="$work/data"
bare=
trap 'kill $bare $XVFB_PID 2>/dev/null || true; rm -rf "$work"' EXIT

# PSS and private dirty memory in MiB of process $1 and all its descendants.
pss_tree() {
  local pids
  mapfile -t pids < <(process_tree "$1")
  awk -v kb="$(smaps_kib Pss "${pids[@]}")" -v p="$(smaps_kib Private_Dirty "${pids[@]}")" -v n="${#pids[@]}" \
    'BEGIN { printf "%.0f MiB in %d processes, private dirty %.0f MiB", kb / 1024, n, p / 1024 }'
}

echo "Tray benchmark, $(nproc) cores; QTWEBENGINE_CHROMIUM_FLAGS=${QTWEBENGINE_CHROMIUM_FLAGS:-}"
mkdir -p "$work/pages"
"$build/bench/tkw_tray_bench" --dir "$work/pages" --refreshes "$refreshes"

# The same page file in a bare Qt web view; Chromium's sandbox refuses to run as root.
[ "$(id -u)" -ne 0 ] || export QTWEBENGINE_DISABLE_SANDBOX=1
"$build/bench/tkw_bare_webview" "$work/pages/1wirek&borta.htm" >"$work/bare.log" 2>&1 &
bare=$!
for _ in $(seq 600); do grep -q loaded "$work/bare.log" && break; sleep 0.1; done
grep -q loaded "$work/bare.log" || { echo "the bare web view never loaded its page" >&2; exit 1; }
sleep 10
printf '  %-46s %s\n' "bare Qt web view, 10 s after its load (PSS)" "$(pss_tree "$bare")"
