#!/usr/bin/env bash
# Fifty sources of one's own: `tickerwell --refresh-once` over 50 pages of about 30 KB in three
# charsets on a local server, process start included, beside 50 serial curl fetches of the same pages
# in the same run; and the command's peak resident memory. No display and no session bus are used.
# Usage: bench/own-sources.sh [BUILD-FOLDER]   (default build-bench; TKW_BENCH_RUNS runs, default 11)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-bench}
runs=${TKW_BENCH_RUNS:-11}
# TKW_BENCH_NO_BUILD=1 measures the program already built in the folder given.
if [ -z "${TKW_BENCH_NO_BUILD:-}" ]; then
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=ON >/dev/null
  cmake --build "$build" --target tickerwell --parallel "${JOBS:-2}" >/dev/null
fi
source "$root/bench/measure.sh"

work=$(mktemp -d)
cleanup() {
  [ -n "${SERVER_PID:-}" ] && kill "$SERVER_PID" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

mkdir -p "$work/program" "$work/run" "$work/data" "$work/site"
cp "$build/app/tickerwell" "$work/program/"
# Pages in UTF-8, ISO-8859-2 (meta) and Windows-1250 (meta), each with its section between two texts.
for id in $(seq 6 55); do
  case $((id % 3)) in
    0) charset=utf-8 ;;
    1) charset=iso-8859-2 ;;
    *) charset=windows-1250 ;;
  esac
  {
    printf '<html><head><meta charset="%s"></head><body>\n' "$charset"
    for n in $(seq 300); do printf '<p>Akapit %d źródła %d: zażółć gęślą jaźń.</p>\n' "$n" "$id"; done
    printf '<div id="poczatek">Początek</div><p>Komentarz %d</p><div id="koniec">Koniec</div></body></html>\n' "$id"
  } | iconv -f UTF-8 -t "$charset" >"$work/site/page$id.html"
done
# The site's server takes 64 connections at once: with the standard library's backlog of 5, eight
# connections at once would wait for a SYN to be sent again, a second later.
coproc SERVER { exec python3 -c '
import functools, http.server, sys
class Server(http.server.ThreadingHTTPServer):
    request_queue_size = 64
class Quiet(http.server.SimpleHTTPRequestHandler):
    def log_message(self, *args): pass
with Server(("127.0.0.1", 0), functools.partial(Quiet, directory=sys.argv[1])) as server:
    print(server.server_address[1], flush=True)
    server.serve_forever()
' "$work/site"; }
read -r DEMO_PORT <&"${SERVER[0]}"
{
  echo "next-id = 56"
  for id in $(seq 6 55); do
    printf '[%d]\ncaption = Źródło %d\naddress = http://127.0.0.1:%s/page%d.html\nstart = <div id="poczatek">\nend = Koniec</div>\n' \
      "$id" "$id" "$DEMO_PORT" "$id"
  done
} >"$work/run/zrodla.ini"
ids=($(seq 6 55))
addresses=()
for id in "${ids[@]}"; do addresses+=("http://127.0.0.1:$DEMO_PORT/page$id.html"); done


refresh_once() {
  (cd "$work/run" && env -u DISPLAY -u WAYLAND_DISPLAY -u DBUS_SESSION_BUS_ADDRESS LC_ALL=C \
    XDG_DATA_HOME="$work/data" "$@" "$work/program/tickerwell" --refresh-once "${ids[@]}")
}

time_beside_curls "$runs"
# Every page file must be there.
for id in "${ids[@]}"; do [ -s "$work/program/zrodlo$id.htm" ] || { echo "zrodlo$id.htm missing" >&2; exit 1; }; done

tkw_ms=$(median "${tkw[@]}")
curl_ms=$(median "${curls[@]}")
echo "sources of one's own, $runs runs (median; all runs in brackets), $(nproc) cores"
printf '  %-36s %7s ms  [%s]\n' "--refresh-once, 50 own sources" "$tkw_ms" "${tkw[*]}"
printf '  %-36s %7s ms  [%s]\n' "50 serial curl fetches" "$curl_ms" "${curls[*]}"
printf '  %-36s %7s x   (goal < 1)\n' "ratio" "$(awk -v a="$tkw_ms" -v b="$curl_ms" 'BEGIN { printf "%.2f", a / b }')"
printf '  %-36s %7s MiB [KiB: %s]\n' "peak RSS of --refresh-once" \
  "$(awk -v k="$(median "${rss[@]}")" 'BEGIN { printf "%.1f", k / 1024 }')" "${rss[*]}"
