#!/usr/bin/env bash
# The window tests that need Wayland (TWayland), under a headless weston of their own; skipped (77)
# where weston is not installed.   bash tests/e2e/wayland.sh UI_TEST_PROGRAM
set -euo pipefail
command -v weston >/dev/null || { echo "SKIP: weston is not installed"; exit 77; }
XDG_RUNTIME_DIR=$(mktemp -d)
export XDG_RUNTIME_DIR
weston --backend=headless-backend.so --socket=tkw-wayland --idle-time=0 >"$XDG_RUNTIME_DIR/log" 2>&1 &
trap 'kill $! 2>/dev/null; rm -rf "$XDG_RUNTIME_DIR"' EXIT
for _ in $(seq 100); do [ -S "$XDG_RUNTIME_DIR/tkw-wayland" ] && break; sleep 0.1; done
QT_QPA_PLATFORM=wayland WAYLAND_DISPLAY=tkw-wayland "$1" --gtest_filter='TWayland.*' | tee "$XDG_RUNTIME_DIR/out"
grep -q '^\[  PASSED  \] 1 test' "$XDG_RUNTIME_DIR/out" || { echo "FAIL: the Wayland test did not run" >&2; exit 1; }
