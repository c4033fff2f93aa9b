#!/usr/bin/env bash
# Memory of the window with 50 sources of one's own: PSS of the program and its helper processes,
# summed, after a refresh of the five and 50 sources of one's own with the first tab shown, beside the
# same after a refresh of the five alone, in the same run (goal: at most 1.2 times). Views are made
# only when their tab is shown, so the 50 tabs cost their page files, not their pages.
# Usage: bench/own-sources-pss.sh [BUILD-FOLDER]   (default build-bench; TKW_BENCH_NO_BUILD=1 uses it as built)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-bench}
if [ -z "${TKW_BENCH_NO_BUILD:-}" ]; then
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=ON >/dev/null
  cmake --build "$build" --target tickerwell --parallel "${JOBS:-2}" >/dev/null
fi
program=$build/app/tickerwell
programdir=$(dirname "$program")
source "$root/scripts/demo.sh"
source "$root/bench/measure.sh"

work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}" ${XVFB_PID:-}; do kill "$pid" 2>/dev/null || true; done
  rm -f "$programdir"/zrodlo*.htm
  [ -n "${TKW_BENCH_KEEP:-}" ] && tail -n 20 "$work/program.log" >&2
  rm -rf "$work"
}
trap cleanup EXIT

# The demo's site and 50 pages of about 30 KB.
cp -r "$root/demo/site" "$work/site"
for id in $(seq 6 55); do
  {
    printf '<html><head><meta charset="utf-8"></head><body>\n'
    for n in $(seq 300); do printf '<p>Akapit %d źródła %d: zażółć gęślą jaźń.</p>\n' "$n" "$id"; done
    printf '<div id="poczatek">Początek</div><p>Komentarz %d</p><div id="koniec">Koniec</div></body></html>\n' "$id"
  } >"$work/site/page$id.html"
done
start_demo_server "$work/site"
pids+=("$DEMO_PID")
export XDG_DATA_HOME="$work/data"
mkdir -p "$work/five" "$work/own"
demo_configuration "$DEMO_PORT" >"$work/five/dane.txt"
cp "$work/five/dane.txt" "$work/own/dane.txt"
for id in $(seq 6 55); do
  printf '[%d]\ncaption = Źródło %d\naddress = http://127.0.0.1:%s/page%d.html\nstart = <div id="poczatek">\nend = Koniec</div>\n' \
    "$id" "$id" "$DEMO_PORT" "$id"
done >"$work/own/zrodla.ini"

source "$root/scripts/xvfb.sh"
start_xvfb

# PSS in KiB of process $1 and all its descendants.
pss_tree() {
  local pids
  mapfile -t pids < <(process_tree "$1")
  smaps_kib Pss "${pids[@]}"
}

# Runs the window in folder $1, presses START, waits for the page files $2.. and prints its PSS.
measure() {
  local folder=$1 window pid
  shift
  rm -f "$programdir"/*.htm
  (cd "$folder" && exec "$program" >>"$work/program.log" 2>&1) &
  pid=$!
  pids+=("$pid")
  for _ in $(seq 600); do window=$(main_window) && [ -n "$window" ] && break; sleep 0.1; done
  sleep 1
  click_start "$window"
  for _ in $(seq 600); do
    local missing=0
    for file in "$@"; do [ -s "$programdir/$file" ] || missing=1; done
    [ $missing -eq 0 ] && break
    sleep 0.1
  done
  sleep 4
  pss_tree "$pid"
  kill "$pid"
  wait "$pid" 2>/dev/null || true
  # The X server resets once its last client has gone: the next window connects after that.
  sleep 2
}

own_files=()
for id in $(seq 6 55); do own_files+=("zrodlo$id.htm"); done
five=$(measure "$work/five" "${PAGE_FILES[@]}")
own=$(measure "$work/own" "${PAGE_FILES[@]}" "${own_files[@]}")
echo "Memory (PSS) after a refresh, first tab shown, $(nproc) cores"
printf '  %-36s %6.1f MiB\n' "the five alone" "$(awk -v k="$five" 'BEGIN { print k / 1024 }')"
printf '  %-36s %6.1f MiB\n' "the five and 50 of one's own" "$(awk -v k="$own" 'BEGIN { print k / 1024 }')"
printf '  %-36s %6.2f x   (goal <= 1.2)\n' "ratio" "$(awk -v a="$own" -v b="$five" 'BEGIN { print a / b }')"
