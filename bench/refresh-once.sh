#!/usr/bin/env bash
# Refresh without a window: `tickerwell --refresh-once` over the demo's five pages, process start
# included, beside five serial curl fetches of the same pages measured in the same run; and the
# command's peak resident memory. No display and no session bus are used.
# Usage: bench/refresh-once.sh [BUILD-FOLDER]   (default build-bench; TKW_BENCH_RUNS runs, default 11)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-bench}
runs=${TKW_BENCH_RUNS:-11}
bash "$root/scripts/deps.sh" $(grep -v '^#' "$root/scripts/packages.txt") curl time python3
# TKW_BENCH_NO_BUILD=1 measures the program already built in the folder given.
if [ -z "${TKW_BENCH_NO_BUILD:-}" ]; then
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=ON >/dev/null
  cmake --build "$build" --target tickerwell --parallel "${JOBS:-2}" >/dev/null
fi
source "$root/scripts/demo.sh"

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

now_us() { echo "${EPOCHREALTIME/./}"; }
ms() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.1f", (b - a) / 1000 }'; }
median() { printf '%s\n' "$@" | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

refresh_once() {
  (cd "$work/run" && env -u DISPLAY -u WAYLAND_DISPLAY -u DBUS_SESSION_BUS_ADDRESS LC_ALL=C \
    XDG_DATA_HOME="$work/data" "$@" "$work/program/tickerwell" --refresh-once)
}

# One run of each first, so that both start warm.
refresh_once >/dev/null
for address in "${addresses[@]}"; do curl -s -o /dev/null "$address"; done

tkw=() curl5=() rss=()
for _ in $(seq "$runs"); do
  start=$(now_us)
  refresh_once >/dev/null
  tkw+=("$(ms "$start" "$(now_us)")")
  start=$(now_us)
  for address in "${addresses[@]}"; do curl -s -o /dev/null "$address"; done
  curl5+=("$(ms "$start" "$(now_us)")")
  rss+=("$(refresh_once /usr/bin/time -f %M 2>&1 >/dev/null | tail -n 1)")
done

tkw_ms=$(median "${tkw[@]}")
curl_ms=$(median "${curl5[@]}")
echo "--refresh-once benchmark, $runs runs (median; all runs in brackets), $(nproc) cores"
printf '  %-32s %7s ms  [%s]\n' "--refresh-once, five pages" "$tkw_ms" "${tkw[*]}"
printf '  %-32s %7s ms  [%s]\n' "five serial curl fetches" "$curl_ms" "${curl5[*]}"
printf '  %-32s %7s x   (goal <= 2)\n' "ratio" "$(awk -v a="$tkw_ms" -v b="$curl_ms" 'BEGIN { printf "%.2f", a / b }')"
printf '  %-32s %7s MiB (goal <= 40)  [KiB: %s]\n' "peak RSS of --refresh-once" \
  "$(awk -v k="$(median "${rss[@]}")" 'BEGIN { printf "%.1f", k / 1024 }')" "${rss[*]}"
