#!/usr/bin/env bash
# The real program on a desktop of its own (Xvfb, openbox, trayer) driven with xdotool: the window's
# outer sizes, the demo's page files, the tray, and the exit codes.   bash tests/e2e/desktop.sh PROGRAM
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
pids=()
cleanup() { for pid in "${pids[@]}" ${XVFB_PID:-}; do kill "$pid" 2>/dev/null || true; done; rm -rf "$work"; }
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
# wait_for SECONDS COMMAND...: runs COMMAND every 0.2 s until it succeeds.
wait_for() { local end=$((SECONDS + $1)); shift; until "$@"; do [ $SECONDS -lt $end ] || return 1; sleep 0.2; done; }

source "$root/scripts/xvfb.sh"
source "$root/scripts/demo.sh"
start_xvfb
openbox & pids+=($!)
wait_for 30 sh -c '! xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "not found"' || fail "openbox did not start"
trayer --edge bottom --align right --widthtype request --height 24 & pids+=($!)
wait_for 30 sh -c 'xwininfo -root -tree | grep -q "\"panel\""' || fail "trayer did not start"
start_demo_server
pids+=("$DEMO_PID")
port=$DEMO_PORT
# The history goes to the run's own folder, never to the user's.
export XDG_DATA_HOME="$work/data"
# A port whose connections wait in the queue for ever: every download stalls.
python3 -c 'import socket, sys, time
s = socket.socket(); s.bind(("127.0.0.1", 0)); s.listen(16)
open(sys.argv[1], "w").write(str(s.getsockname()[1])); time.sleep(600)' "$work/stall" & pids+=($!)
wait_for 10 test -s "$work/stall" || fail "no stalling port"
stall=$(cat "$work/stall")
mkdir "$work/program"
# The program with its page viewer beside it, as the build and the install put them.
cp "$1" "$work/program/tickerwell"
cp "$(dirname "$1")/tkw_pageviewer.so" "$work/program/"
cd "$work"

has_window() { [ -n "$(main_window)" ]; }
no_window() { [ -z "$(main_window)" ]; }
managed() { ! xprop -id "$(main_window)" _NET_FRAME_EXTENTS | grep -q 'not found'; }
# The window's outer geometry, the window manager's frame included: WIDTHxHEIGHT+X+Y.
outer() {
  local id l r t b
  id=$(main_window)
  read -r l r t b <<<"$(xprop -id "$id" _NET_FRAME_EXTENTS | sed 's/.*= //; s/,//g')"
  xwininfo -id "$id" | awk -v l="$l" -v r="$r" -v t="$t" -v b="$b" '/Absolute upper-left X/ { x = $4 }
    /Absolute upper-left Y/ { y = $4 } /Width:/ { w = $2 } /Height:/ { h = $2 }
    END { printf "%dx%d+%d+%d\n", w + l + r, h + t + b, x - l, y - t }'
}
outer_is() { [ "$(outer)" = "$1" ]; }
menus() { xdotool search --onlyvisible --classname tickerwell | wc -l; }
more_menus() { [ "$(menus)" -gt "$1" ]; }
ended() { [[ "$(ps -o stat= -p $tkw)" != [^Z]* ]]; }
# Starts the program with the demo's dane.txt pointing at port $1, once openbox has its window.
start() {
  demo_configuration "$1" >dane.txt
  "$work/program/tickerwell" &
  tkw=$!
  wait_for 60 has_window && wait_for 30 managed || fail "the window did not appear"
}
# Clicks START until the window grows: a click before the program takes input is repeated.
press_start() {
  local end=$((SECONDS + 30))
  until [ "$(xdotool getwindowgeometry --shell "$(main_window)" | sed -n 's/^HEIGHT=//p')" -gt 200 ]; do
    [ $SECONDS -lt $end ] || fail "START did not open the full window"
    click_start "$(main_window)"
    sleep 1
  done
}
click_tray() {
  local at
  at=$(xwininfo -root -tree | grep -oP '"TKW by QRX": \("tickerwell" "TKW by QRX"\)\s+\K\d+x\d+\+-?\d+\+-?\d+\s+\+\d+\+\d+' |
    awk -F'[x+ ]+' '$1 > 1 { print $5 + int($1 / 2), $6 + int($2 / 2); exit }')
  [ -n "$at" ] || fail "the program's icon is not in the tray"
  xdotool mousemove $at click "$1"
}
expect_exit() {
  local code=0
  wait_for 20 ended || fail "the program did not end"
  wait $tkw || code=$?
  [ $code -eq "$1" ] || fail "exit code $code where $1 was expected"
}

start "$port"
wait_for 10 outer_is 569x90+0+0 || fail "the compact strip is $(outer), not 569x90+0+0"
press_start
wait_for 10 outer_is 569x490+0+0 || fail "the full window is $(outer), not 569x490+0+0"
xdotool windowsize "$(main_window)" 300 10
wait_for 10 outer_is 569x90+0+0 || fail "the smallest window is $(outer), not 569x90+0+0"
for page in "${PAGE_FILES[@]}"; do
  wait_for 60 cmp -s "$root/tests/data/e2e/$page" "program/$page" || fail "page file $page differs"
done
before=$(xdotool getwindowgeometry "$(main_window)")
xdotool windowminimize "$(main_window)"
wait_for 10 no_window || fail "the minimised window did not leave for the tray"
click_tray 1
wait_for 10 has_window || fail "a click on the tray icon did not bring the window back"
[ "$(xdotool getwindowgeometry "$(main_window)")" = "$before" ] || fail "the window came back elsewhere"
shown=$(menus)
click_tray 3
wait_for 10 more_menus "$shown" || fail "the tray menu did not open"
xdotool key Up Return # the last item, "Ex&it"
expect_exit 0

start "$stall"
press_start
xdotool mousemove --window "$(main_window)" 516 18 click 1 # Close TKW
expect_exit 1

start "$port"
xdotool windowactivate --sync "$(main_window)" key alt+F4
expect_exit 0
echo "The desktop checks passed."
