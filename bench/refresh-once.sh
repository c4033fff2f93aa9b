#!/usr/bin/env bash
# Refresh without a window: `tickerwell --refresh-once` over the demo's five pages, process start
# included, beside five serial curl fetches of the same pages measured in the same run; and the
# command's peak resident memory. No display and no session bus are used.
# Usage: bench/refresh-once.sh [BUILD-FOLDER]   (default build-bench; TKW_BENCH_RUNS runs, default 11)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-bench}
runs=${TKW_BENCH_RUNS:-11}
bash "$root/scripts/deps.sh" $(grep -hv '^#' "$root"/scripts/packages-{run,test}.txt) curl time python3
# TKW_BENCH_NO_BUILD=1 measures the program already built in the folder given.
if [ -z "${TKW_BENCH_NO_BUILD:-}" ]; then
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=ON >/dev/null
  cmake --build "$build" --target tickerwell --parallel "${JOBS:-2}" >/dev/null
fi
source "$root/scripts/demo.sh"
source "$root/bench/measure.sh"

work=$(mktemp -d)
cleanup() {
  [ -n "${DEMO_PID:-}" ] && kill "$DEMO_PID" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# A copy of the program in a folder of its own: its page files and history stay in $work.
mkdir -p "$work/program" "$work/run" "$work/data"
cp "$build/app/tickerwell" "$work/program/"
start_demo_server
demo_configuration "$DEMO_PORT" >"$work/run/dane.txt"
mapfile -t addresses < <(awk 'NR % 3 == 1' "$work/run/dane.txt" | tr -d '\r')

refresh_once() {
  (cd "$work/run" && env -u DISPLAY -u WAYLAND_DISPLAY -u DBUS_SESSION_BUS_ADDRESS LC_ALL=C \
    XDG_DATA_HOME="$work/data" "$@" "$work/program/tickerwell" --refresh-once)
}

time_beside_curls "$runs"

tkw_ms=$(median "${tkw[@]}")
curl_ms=$(median "${curls[@]}")
echo "--refresh-once benchmark, $runs runs (median; all runs in brackets), $(nproc) cores"
printf '  %-32s %7s ms  [%s]\n' "--refresh-once, five pages" "$tkw_ms" "${tkw[*]}"
printf '  %-32s %7s ms  [%s]\n' "five serial curl fetches" "$curl_ms" "${curls[*]}"
printf '  %-32s %7s x   (goal <= 2)\n' "ratio" "$(awk -v a="$tkw_ms" -v b="$curl_ms" 'BEGIN { printf "%.2f", a / b }')"
printf '  %-32s %7s MiB (goal <= 40)  [KiB: %s]\n' "peak RSS of --refresh-once" \
  "$(awk -v k="$(median "${rss[@]}")" 'BEGIN { printf "%.1f", k / 1024 }')" "${rss[*]}"
