#!/usr/bin/env bash
# Builds Tickerwell with warnings as errors and runs the whole test suite through CTest on a
# virtual X server of its own; then runs the suite again under AddressSanitizer with
# UndefinedBehaviorSanitizer, the threaded tests under ThreadSanitizer, and a short run of each
# fuzz target. With --quick only the first, plain run is made.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
quick=0
[ "${1:-}" = "--quick" ] && quick=1

source "$root/scripts/xvfb.sh"
bash "$root/scripts/build.sh" "$root/build-test" -DTICKERWELL_WERROR=ON -DBUILD_TESTING=ON
start_xvfb
trap 'kill $XVFB_PID 2>/dev/null || true' EXIT

echo "== Tests"
(cd "$root/build-test" && ctest --output-on-failure --timeout 300 -j "$(nproc)")
[ $quick -eq 1 ] && exit 0

echo "== Tests under AddressSanitizer and UndefinedBehaviorSanitizer"
bash "$root/scripts/build.sh" "$root/build-asan" -DTICKERWELL_WERROR=ON -DBUILD_TESTING=ON \
  -DTICKERWELL_SANITIZE=address,undefined
# Chromium inside Qt WebEngine frees some of its own objects through a base of another size.
export ASAN_OPTIONS=detect_leaks=1:new_delete_type_mismatch=0
export LSAN_OPTIONS=suppressions=$root/tests/sanitizers/lsan.supp
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
window_tests='^(TLayout|TRefresh|TCompletion|TNonAsciiProgramDir|TWindowCommands|TWithoutTray|TFaultMatrix|TSourceWatchTest)\.'
(cd "$root/build-asan" && ctest --output-on-failure --timeout 600 -j "$(nproc)" -E "$window_tests|^(EndToEnd|TDesktop)\.")
# The window tests embed Chromium, whose generated code allocates through frames the leak checker
# cannot attribute; they run with every other check on.
(cd "$root/build-asan" && ASAN_OPTIONS=detect_leaks=0:new_delete_type_mismatch=0 \
  ctest --output-on-failure --timeout 600 -j "$(nproc)" -R "$window_tests")

echo "== Worker, refresh and animation tests under ThreadSanitizer"
TKW_BUILD_TARGETS="tkw_download_tests tkw_download_bounds_tests tkw_ui_tests tkw_tray_tests" \
  bash "$root/scripts/build.sh" "$root/build-tsan" -DTICKERWELL_WERROR=ON -DBUILD_TESTING=ON \
  -DTICKERWELL_SANITIZE=thread
# Qt, GLib and Chromium are not built for the sanitizer: their own memory work and locking, which it
# cannot follow, is left out; the project's code is checked in full.
export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1:ignore_noninstrumented_modules=1:suppressions=$root/tests/sanitizers/tsan.supp"
(cd "$root/build-tsan" && ctest --output-on-failure --timeout 600 -j "$(nproc)" \
  -R '^(SciagerTest|DownloadBoundsTest|TRefresh|TFaultMatrix|AnimationTest|VelorIconList)\.')

echo "== Fuzz targets"
bash "$root/scripts/fuzz.sh" short
