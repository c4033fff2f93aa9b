# Sourced by the benchmark scripts: clocks, medians, the memory of a process with its helpers, and
# a command timed beside serial curl fetches of the same pages.

now_us() { echo "${EPOCHREALTIME/./}"; }
# Milliseconds from $1 to $2 (microseconds), with $3 decimals (default 1).
ms() { awk -v a="$1" -v b="$2" -v d="${3:-1}" 'BEGIN { printf "%.*f", d, (b - a) / 1000 }'; }
median() { printf '%s\n' "$@" | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

# The process $1 and all its descendants, one id a line.
process_tree() {
  local all=("$1") i=0 child
  while [ $i -lt ${#all[@]} ]; do
    for child in $(pgrep -P "${all[$i]}" || true); do all+=("$child"); done
    i=$((i + 1))
  done
  printf '%s\n' "${all[@]}"
}

# The sum in KiB of field $1 of smaps_rollup (Pss, Private_Dirty ...) over the processes $2...
smaps_kib() {
  local field=$1 kb=0 pid
  shift
  for pid in "$@"; do
    kb=$((kb + $(awk -v f="$field:" '$1 == f { print $2 }' "/proc/$pid/smaps_rollup" 2>/dev/null || echo 0)))
  done
  echo "$kb"
}

# Runs `refresh_once` (the caller's) and curl over the array `addresses` RUNS times each, one after
# the other, after one warm-up of each; fills the arrays tkw and curls (ms) and rss (peak KiB).
time_beside_curls() {
  local runs=$1 start address
  refresh_once >/dev/null
  for address in "${addresses[@]}"; do curl -s -o /dev/null "$address"; done
  tkw=() curls=() rss=()
  for _ in $(seq "$runs"); do
    start=$(now_us)
    refresh_once >/dev/null
    tkw+=("$(ms "$start" "$(now_us)")")
    start=$(now_us)
    for address in "${addresses[@]}"; do curl -s -o /dev/null "$address"; done
    curls+=("$(ms "$start" "$(now_us)")")
    rss+=("$(refresh_once /usr/bin/time -f %M 2>&1 >/dev/null | tail -n 1)")
  done
}
