#!/usr/bin/env bash
# Builds Tickerwell and runs it.
#   bash scripts/run.sh          the demo: sample pages from a local server; with a display the
#                                window opens for you, without one the demo runs on a virtual X
#                                server, presses START, saves a screenshot and ends
#   bash scripts/run.sh --live   the real sites, with demo/live/dane.txt
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build
mode=demo
[ "${1:-}" = "--live" ] && mode=live
pids=""
source "$root/scripts/demo.sh"

# Only what building and running need: the test and packaging tools stay off the machine.
TKW_PACKAGES=run bash "$root/scripts/build.sh" "$build" -DBUILD_TESTING=OFF
program=$build/app/tickerwell
run=$build/run-$mode
mkdir -p "$run"
# Ends what the script started, the program first and the X server last.
cleanup() { for pid in ${pids:-} ${XVFB_PID:-}; do kill "$pid" 2>/dev/null || true; done; }
trap cleanup EXIT

if [ "$mode" = live ]; then
  cp "$root/demo/live/dane.txt" "$run/dane.txt"
else
  # The index tab shows the demo's quotes page instead of the live quotes server.
  start_demo_server
  pids="$DEMO_PID"
  demo_configuration "$DEMO_PORT" > "$run/dane.txt"
fi
cd "$run"

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  echo "Tickerwell runs with $run/dane.txt; its page files go to $(dirname "$program")."
  "$program"
  exit 0
fi

# No display: show the demo working on a virtual X server and leave a screenshot.
bash "$root/scripts/deps.sh" xvfb xdotool imagemagick
source "$root/scripts/xvfb.sh"
start_xvfb
# Page files of earlier runs stay; this run's are the ones newer than the stamp.
stamp=$(mktemp)
trap 'cleanup; rm -f "$stamp"' EXIT
written() { [ "$1" -nt "$stamp" ]; }
"$program" &
pids="$pids $!"
window=""
for _ in $(seq 600); do
  window=$(main_window) && [ -n "$window" ] && break
  sleep 0.1
done
[ -n "$window" ] || { echo "The Tickerwell window did not appear." >&2; exit 1; }
click_start "$window"
for _ in $(seq 600); do
  missing=0
  for page in "${PAGE_FILES[@]}"; do written "$(dirname "$program")/$page" || missing=1; done
  [ $missing -eq 0 ] && break
  sleep 0.1
done
sleep 5   # let the page views render
shot=$build/tickerwell-$mode.png
import -window root -crop 569x490+0+0 "$shot"
echo "Screenshot: $shot"
echo "Page files:"
for page in "${PAGE_FILES[@]}"; do
  file="$(dirname "$program")/$page"
  if written "$file"; then echo "  $file"; else echo "  $file (not written in this run)"; fi
done
