#!/usr/bin/env bash
# Desktop benchmark: the Release program on a virtual X server of its own against the demo's server,
# each figure beside its anchor measured in the same run:
#   launch to window shown             beside a bare Qt window (bench/BareWindow.cpp)
#   memory (PSS) at start              beside the bare window
#   START to five page files           beside five serial fetches of the same pages by curl
#   memory after that refresh          the program and its helper processes, summed; again after
#                                      the user has looked at every tab
#   a 16 MiB page on the visible tab   from the press to its page file, beside the curl tool
# Usage: bench/desktop.sh [BUILD-FOLDER]   (default build-bench; TKW_BENCH_RUNS runs, default 3)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-bench}
runs=${TKW_BENCH_RUNS:-3}
bash "$root/scripts/deps.sh" $(grep -hv '^#' "$root"/scripts/packages-{run,test}.txt) libbenchmark-dev python3
# The bench folder builds only with the tests' support library, so testing stays on.
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DTICKERWELL_BENCH=ON -DBUILD_TESTING=ON >/dev/null
cmake --build "$build" --target tickerwell tkw_bare_window --parallel "${JOBS:-2}" >/dev/null
program=$build/app/tickerwell
bare=$build/bench/tkw_bare_window
programdir=$(dirname "$program")
source "$root/scripts/demo.sh"
source "$root/bench/measure.sh"

work=$(mktemp -d)
pids=()
cleanup() {
  local status=$?
  [ $status -ne 0 ] && [ -f "$work/program.log" ] && tail -n 5 "$work/program.log" >&2
  for pid in "${pids[@]}" ${XVFB_PID:-}; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

# The demo's site plus a 16 MiB page whose fragment is almost all of it.
cp -r "$root/demo/site" "$work/site"
python3 - "$work/site/big.html" <<'EOF'
import sys
line = b"<p>" + b"x" * 92 + b"</p>\r\n"
body = line * ((16 << 20) // len(line))
with open(sys.argv[1], "wb") as f:
    f.write(b"<html><body><!-- KOMENTARZ WIREK BORTA -->\r\n" + body + b"<!-- KONIEC KOMENTARZA -->\r\n</body></html>\r\n")
EOF
start_demo_server "$work/site"
pids+=("$DEMO_PID")
port=$DEMO_PORT
# The history goes to the run's own folder, never to the user's.
export XDG_DATA_HOME="$work/data"
mkdir -p "$work/demo" "$work/big"
demo_configuration "$port" >"$work/demo/dane.txt"
# Source 0 fetches the big page; the other sources have no address and fail at once.
printf 'http://127.0.0.1:%s/big.html\r\n<!-- KOMENTARZ WIREK BORTA -->\r\n<!-- KONIEC KOMENTARZA -->\r\n' "$port" \
  >"$work/big/dane.txt"
for _ in 1 2 3 4; do printf '\r\n\r\n\r\n' >>"$work/big/dane.txt"; done
mapfile -t addresses < <(grep -a '^http' "$work/demo/dane.txt" | tr -d '\r')

source "$root/scripts/xvfb.sh"
start_xvfb
pids+=("$XVFB_PID")

ms() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.0f", (b - a) / 1000 }'; }

# The id of the visible window named exactly $1, waiting up to 60 s.
wait_window() {
  local window
  for _ in $(seq 12000); do
    window=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1) && [ -n "$window" ] && {
      echo "$window"
      return 0
    }
    sleep 0.005
  done
  echo "The window \"$1\" did not appear." >&2
  return 1
}

# PSS in MiB and process count of process $1 and all its descendants.
pss_tree() {
  local pids
  mapfile -t pids < <(process_tree "$1")
  awk -v kb="$(smaps_kib Pss "${pids[@]}")" -v n="${#pids[@]}" \
    'BEGIN { printf "%.0f MiB in %d processes", kb / 1024, n }'
}

# Waits until every page file named is written; prints the latest write time in microseconds.
wait_files() {
  local file latest=0 stamp
  for _ in $(seq 24000); do
    local missing=0
    for file in "$@"; do [ -s "$programdir/$file" ] || missing=1; done
    [ $missing -eq 0 ] && break
    sleep 0.005
  done
  for file in "$@"; do
    [ -s "$programdir/$file" ] || { echo "$file was not written" >&2; return 1; }
    stamp=$(stat -c '%.6Y' "$programdir/$file")
    stamp=${stamp/./}
    [ "$stamp" -gt "$latest" ] && latest=$stamp
  done
  echo "$latest"
}

# Starts $1 in folder $2 and waits for its window named $3; sets started_pid, window and launch_ms.
launch() {
  local start
  start=$(now_us)
  (cd "$2" && exec "$1" >>"$work/program.log" 2>&1) &
  started_pid=$!
  pids+=("$started_pid")
  window=$(wait_window "$3")
  launch_ms=$(ms "$start" "$(now_us)")
}

stop() {
  kill "$1" 2>/dev/null || true
  wait "$1" 2>/dev/null || true
}

press_start() {
  press_time=$(now_us)
  click_start "$window"
}

bare_launch=() bare_pss=() tkw_launch=() tkw_pss=() refresh=() refresh_pss=() tabs_pss=() curl5=()
for run in $(seq "$runs"); do
  launch "$bare" "$work" "Bare Qt window"
  bare_launch+=("$launch_ms")
  sleep 1
  bare_pss+=("$(pss_tree "$started_pid")")
  stop "$started_pid"

  for page in "${PAGE_FILES[@]}"; do rm -f "$programdir/$page"; done
  launch "$program" "$work/demo" "Tickerwell by QRX & Dobrel"
  tkw_launch+=("$launch_ms")
  sleep 1
  tkw_pss+=("$(pss_tree "$started_pid")")
  press_start
  refresh+=("$(ms "$press_time" "$(wait_files "${PAGE_FILES[@]}")")")
  file_times=()
  for page in "${PAGE_FILES[@]}"; do
    stamp=$(stat -c '%.6Y' "$programdir/$page")
    file_times+=("$(ms "$press_time" "${stamp/./}")")
  done
  sleep 4
  refresh_pss+=("$(pss_tree "$started_pid")")
  # The user looks at the other four tabs. The window changed its flags, and so its X window, on START.
  window=$(wait_window "Tickerwell by QRX & Dobrel")
  for x in 150 255 342 408; do
    xdotool mousemove --window "$window" "$x" 76 click 1
    sleep 1
  done
  sleep 3
  tabs_pss+=("$(pss_tree "$started_pid")")
  stop "$started_pid"

  start=$(now_us)
  for address in "${addresses[@]}"; do curl -s -o /dev/null "$address"; done
  curl5+=("$(ms "$start" "$(now_us)")")
done

rm -f "$programdir/${PAGE_FILES[0]}"
launch "$program" "$work/big" "Tickerwell by QRX & Dobrel"
sleep 1
press_start
big=$(ms "$press_time" "$(wait_files "${PAGE_FILES[0]}")")
stop "$started_pid"
start=$(now_us)
curl -s -o /dev/null "http://127.0.0.1:$port/big.html"
big_curl=$(ms "$start" "$(now_us)")

echo "Desktop benchmark, $runs runs (median; all runs in brackets), $(nproc) cores"
printf '  %-34s %6s ms  [%s]   bare Qt window %s ms  [%s]\n' "launch to window shown" \
  "$(median "${tkw_launch[@]}")" "${tkw_launch[*]}" "$(median "${bare_launch[@]}")" "${bare_launch[*]}"
printf '  %-34s %s   bare Qt window %s\n' "memory (PSS) at start" "${tkw_pss[-1]}" "${bare_pss[-1]}"
printf '  %-34s %6s ms  [%s]   five serial curl fetches %s ms  [%s]\n' "START to five page files" \
  "$(median "${refresh[@]}")" "${refresh[*]}" "$(median "${curl5[@]}")" "${curl5[*]}"
printf '  %-34s %s ms\n' "  each page file, last run" "${file_times[*]}"
printf '  %-34s %s\n' "memory after the refresh (PSS)" "${refresh_pss[-1]}"
printf '  %-34s %s\n' "memory after every tab was shown" "${tabs_pss[-1]}"
printf '  %-34s %6s ms   curl tool %s ms\n' "16 MiB page, visible tab" "$big" "$big_curl"
