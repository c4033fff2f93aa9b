# Sourced by the scripts that drive the program on a desktop (scripts/run.sh, tests/e2e/desktop.sh,
# bench/desktop.sh): the demo's page files and server, and the main window as a user finds and
# presses it.
demo_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
PAGE_FILES=("1wirek&borta.htm" "2stormerfut.htm" "3stormer.htm" "4doakcji.htm" "5swiat.htm")

# start_demo_server [SITE-FOLDER]: serves the folder (default: the demo's site) with demo/server.py
# and points the index tab at that server's quotes page; sets DEMO_PORT and DEMO_PID.
start_demo_server() {
  coproc DEMO_SERVER { exec python3 "$demo_root/demo/server.py" --root "${1:-$demo_root/demo/site}"; }
  DEMO_PID=$DEMO_SERVER_PID
  read -r DEMO_PORT <&"${DEMO_SERVER[0]}"
  export TICKERWELL_QUOTES_SERVER="http://127.0.0.1:$DEMO_PORT"
}

# demo_configuration PORT: the demo's dane.txt for a server at PORT.
demo_configuration() { sed "s/@PORT@/$1/g" "$demo_root/demo/dane.txt.in"; }

# main_window: the id of the program's visible main window; empty while there is none.
main_window() { xdotool search --onlyvisible --name '^Tickerwell by QRX & Dobrel$' 2>/dev/null | head -n 1; }

# click_start WINDOW: clicks START (the refresh button once the window is full).
click_start() { xdotool mousemove --window "$1" 59 18 click 1; }
