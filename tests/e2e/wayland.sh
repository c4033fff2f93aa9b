#!/usr/bin/env bash
# The window tests that need Wayland (TWaylandTest), under a headless weston of their own. Skips
# with exit status 77 where weston is not installed.   bash tests/e2e/wayland.sh UI_TEST_PROGRAM
set -euo pipefail
command -v weston >/dev/null || { echo "SKIP: weston is not installed"; exit 77; }
runtime=$(mktemp -d)
chmod 700 "$runtime"
weston_pid=""
cleanup() { [ -z "$weston_pid" ] || kill "$weston_pid" 2>/dev/null || true; rm -rf "$runtime"; }
trap cleanup EXIT
export XDG_RUNTIME_DIR=$runtime
weston --backend=headless-backend.so --socket=tkw-wayland --width=1280 --height=1024 --idle-time=0 \
  >"$runtime/weston.log" 2>&1 &
weston_pid=$!
for _ in $(seq 100); do [ -S "$runtime/tkw-wayland" ] && break; sleep 0.1; done
[ -S "$runtime/tkw-wayland" ] || { echo "FAIL: weston did not start: $(cat "$runtime/weston.log")" >&2; exit 1; }
QT_QPA_PLATFORM=wayland WAYLAND_DISPLAY=tkw-wayland "$1" --gtest_filter='TWaylandTest.*' | tee "$runtime/out.txt"
grep -q '^\[  PASSED  \] 1 test' "$runtime/out.txt" || { echo "FAIL: the Wayland test did not run" >&2; exit 1; }
