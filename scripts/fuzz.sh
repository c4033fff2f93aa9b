#!/usr/bin/env bash
# Builds the libFuzzer targets (fuzz/) with clang under AddressSanitizer and UndefinedBehaviorSanitizer
# and runs them.
#   bash scripts/fuzz.sh [short]          each target for 10 s, two at a time, on a fresh copy of its seeds (CTest, label fuzz)
#   bash scripts/fuzz.sh long [SECONDS]   each target for SECONDS (default 600) in turn, on a corpus that
#                                         is kept and grows in BUILD/fuzz/long/<target>/corpus
# The build folder is build-fuzz, or the one named by TICKERWELL_FUZZ_BUILD. Inputs that fail are
# left in the artifacts folder beside the corpus; rerun one with BUILD/fuzz/fuzz_<target> <file>.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${TICKERWELL_FUZZ_BUILD:-$root/build-fuzz}
mode=${1:-short}
seconds=${2:-600}
case "$mode" in
  short) ;;
  long) [[ "$seconds" =~ ^[1-9][0-9]*$ ]] || { echo "SECONDS must be a positive number" >&2; exit 2; } ;;
  *) echo "usage: $0 [short | long [SECONDS]]" >&2; exit 2 ;;
esac

bash "$root/scripts/deps.sh" clang-14 libclang-rt-14-dev
# shellcheck disable=SC2046
bash "$root/scripts/deps.sh" $(grep -hv '^#' "$root"/scripts/packages-{run,test}.txt)

cmake -S "$root" -B "$build" --preset fuzz >/dev/null
# Only the fuzz targets and the libraries they use: not the program and its page views.
cmake --build "$build" --target tkw_fuzzers --parallel 2

if [ "$mode" = short ]; then
  exec ctest --test-dir "$build" -L fuzz --output-on-failure -j 2
fi

export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1}
failed=()
for seeds in "$root"/fuzz/corpus/*/; do
  name=$(basename "$seeds")
  fuzzer=$build/fuzz/fuzz_$name
  work=$build/fuzz/long/$name
  mkdir -p "$work/corpus" "$work/artifacts"
  cp -n "$seeds"* "$work/corpus/"
  echo "fuzz_$name: $seconds s, log in $work/fuzz.log"
  if "$fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$work/artifacts/" "$work/corpus" >"$work/fuzz.log" 2>&1; then
    grep -E '^(#[0-9]+[[:space:]]+DONE|stat::(number_of_executed_units|peak_rss_mb))' "$work/fuzz.log" | sed 's/^/  /'
  else
    failed+=("fuzz_$name")
    tail -n 40 "$work/fuzz.log" | sed 's/^/  /'
    echo "  fuzz_$name failed; the input is in $work/artifacts"
  fi
done
if [ ${#failed[@]} -gt 0 ]; then
  echo "Failed: ${failed[*]}"
  exit 1
fi
echo "All fuzz targets ran $seconds s without a finding."
