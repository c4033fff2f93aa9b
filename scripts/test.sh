#!/usr/bin/env bash
# Builds Tickerwell with warnings as errors and runs the whole test suite through CTest on a
# virtual X server of its own (the end-to-end check starts one of its own with a window manager and
# a tray): built with AddressSanitizer and UndefinedBehaviorSanitizer, then the worker, window and
# animation tests under ThreadSanitizer, then a short run of each fuzz target. With --quick the
# suite runs once, in a plain build.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/xvfb.sh"
# Builds the given preset of CMakePresets.json into its folder.
build() { bash "$root/scripts/build.sh" "$root/$1" --preset "$2"; }
run() { (cd "$root/$1" && ctest --output-on-failure --timeout 300 -j "$(nproc)" "${@:2}"); }
trap 'kill ${XVFB_PID:-} 2>/dev/null || true' EXIT

if [ "${1:-}" = "--quick" ]; then
  build build-test plain
  start_xvfb
  echo "== Tests"
  run build-test
  exit 0
fi

echo "== Tests under AddressSanitizer and UndefinedBehaviorSanitizer"
build build-asan asan
start_xvfb
# Chromium inside Qt WebEngine frees some of its own objects through a base of another size.
export ASAN_OPTIONS=detect_leaks=1:new_delete_type_mismatch=0
export LSAN_OPTIONS=suppressions=$root/tests/sanitizers/lsan.supp
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
run build-asan -LE '^(ui|desktop)$'
# The window tests and the program embed Chromium, whose generated code allocates through frames
# the leak checker cannot attribute; they run with every other check on.
ASAN_OPTIONS=detect_leaks=0:new_delete_type_mismatch=0 run build-asan -L '^(ui|desktop)$'

echo "== Worker, window and animation tests under ThreadSanitizer"
TKW_BUILD_TARGETS="tkw_download_tests tkw_round_tests tkw_ui_tests tkw_tray_tests" build build-tsan tsan
# Qt, GLib and Chromium are not built for the sanitizer: their own memory work and locking, which it
# cannot follow, is left out; the project's code is checked in full.
export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1:ignore_noninstrumented_modules=1:suppressions=$root/tests/sanitizers/tsan.supp"
run build-tsan -R '^(Sciager|DownloadBoundsTest|TSourceRounds|TRounds|Animation)\.'

echo "== Fuzz targets"
bash "$root/scripts/fuzz.sh" short
