#!/usr/bin/env bash
# The Debian package from end to end: builds it, checks its contents, dependencies and validators
# (lintian without errors, desktop-file-validate, appstreamcli, man), installs it with apt, starts it
# as a user who is not root through the menu entry's command on a virtual X server, presses START
# and expects the demo's page files in that user's data folder, then removes the package and
# expects nothing of it under /usr. It needs root and an uninstalled tickerwell package, and skips
# with exit status 77 otherwise.   bash scripts/package-check.sh [BUILD_FOLDER]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-package}
skip() { echo "SKIP: the package check $*"; exit 77; }
fail() { echo "FAIL: $*" >&2; exit 1; }
# wait_for SECONDS COMMAND...: runs COMMAND every 0.2 s until it succeeds.
wait_for() { local end=$((SECONDS + $1)); shift; until "$@"; do [ $SECONDS -lt $end ] || return 1; sleep 0.2; done; }
[ "$(id -u)" -eq 0 ] || skip "needs root: it installs the package and runs it as another user"
dpkg-query -W -f='${Status}' tickerwell 2>/dev/null | grep -q "ok installed" &&
  skip "would replace the tickerwell package installed on this machine"

echo "== Building the package"
rm -f "$build"/tickerwell_*.deb
bash "$root/scripts/build.sh" "$build" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF
cmake --build "$build" --target package >/dev/null
deb=$(echo "$build"/tickerwell_*_amd64.deb)
[ -f "$deb" ] || fail "no tickerwell_<version>_amd64.deb in $build"

work=$(mktemp -d)
# The user who runs the program reaches its home folder in here.
chmod 711 "$work"
user=tkwpackage
pids=()
installed=""
created_user=""
cleanup() {
  for pid in "${pids[@]}" ${XVFB_PID:-}; do kill "$pid" 2>/dev/null || true; done
  [ -z "$installed" ] || apt-get purge -y -q tickerwell >/dev/null 2>&1 || true
  [ -z "$created_user" ] || userdel "$user" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

echo "== Contents of $(basename "$deb")"
dpkg-deb -c "$deb" | awk '{ print substr($6, 2) }' >"$work/contents"
expected=(/usr/bin/tickerwell /usr/lib/tickerwell/tickerwell /usr/lib/tickerwell/tkw_pageviewer.so
  /usr/lib/tickerwell/menu-start /usr/share/applications/tickerwell.desktop
  /usr/share/metainfo/org.example.tkw.tickerwell.metainfo.xml /usr/share/man/man1/tickerwell.1.gz
  /usr/share/doc/tickerwell/copyright /usr/share/doc/tickerwell/changelog.Debian.gz /usr/share/tickerwell/dane.txt
  /usr/lib/systemd/user/tickerwell-refresh.service /usr/lib/systemd/user/tickerwell-refresh.timer)
for size in 16 24 32 48 64 128 256; do expected+=("/usr/share/icons/hicolor/${size}x$size/apps/tickerwell.png"); done
for file in "${expected[@]}"; do grep -qx "$file" "$work/contents" || fail "the package lacks $file"; done
# The refresh timer is installed, never enabled: no unit links, no maintainer script that enables it.
! grep -q '\.wants/' "$work/contents" || fail "the package enables a unit"
dpkg-deb -e "$deb" "$work/control"
! grep -rqs systemctl "$work/control" || fail "a maintainer script calls systemctl"
depends=$(dpkg-deb -f "$deb" Depends)
for package in libqt6widgets6 libqt6webenginewidgets6 libcurl4 fonts-liberation2; do
  [[ "$depends" == *"$package"* ]] || fail "Depends lacks $package: $depends"
done

echo "== Validators"
dpkg-deb -x "$deb" "$work/tree"
lintian --fail-on error "$deb" 2>&1 | grep -v 'running with root privileges' || true
lintian --fail-on error "$deb" >/dev/null 2>&1 || fail "lintian reports errors"
desktop-file-validate "$work/tree/usr/share/applications/tickerwell.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$work/tree/usr/share/metainfo/org.example.tkw.tickerwell.metainfo.xml" ||
  fail "appstreamcli validate"
man -l "$work/tree/usr/share/man/man1/tickerwell.1.gz" 2>&1 >"$work/man.txt" | { ! grep .; } ||
  fail "man -l warns"
grep -q "EXIT STATUS" "$work/man.txt" || fail "the manual page does not render"
echo "man -l: $(wc -l <"$work/man.txt") lines, no warnings"

echo "== Installing with apt"
installed=yes
apt-get install -y -q --no-install-recommends "$deb" >/dev/null
exec_line=$(sed -n 's/^Exec=//p' /usr/share/applications/tickerwell.desktop)

if ! id "$user" >/dev/null 2>&1; then
  useradd --no-create-home --shell /usr/sbin/nologin "$user"
  created_user=yes
fi
home=$work/home
mkdir -p "$home"
chown "$user:" "$home"
coproc SERVER { exec python3 "$root/demo/server.py" --root "$root/demo/site"; }
pids+=("$SERVER_PID")
read -r port <&"${SERVER[0]}"
source "$root/scripts/xvfb.sh"
start_xvfb
# as_user COMMAND...: runs COMMAND as the user, with a login's environment and nothing of root's.
as_user() {
  runuser -u "$user" -- env -i HOME="$home" USER="$user" PATH=/usr/bin:/bin DISPLAY="$DISPLAY" \
    TICKERWELL_QUOTES_SERVER="http://127.0.0.1:$port" "$@"
}

echo "== Running from the menu entry's command as $user"
config=$home/.config/tickerwell
data=$home/.local/share/tickerwell
as_user sh -c "$exec_line" >"$work/program.log" 2>&1 &
pids+=($!)
window() { xdotool search --onlyvisible --name '^Tickerwell by QRX & Dobrel$' 2>/dev/null | head -n 1; }
has_window() { [ -n "$(window)" ]; }
# The window's client height, 0 while there is none (the window is made anew when its form changes).
height() { xdotool getwindowgeometry --shell "$(window)" 2>/dev/null | sed -n 's/^HEIGHT=//p' | grep . || echo 0; }
wait_for 60 has_window || fail "the window did not appear: $(cat "$work/program.log")"
pids+=("$(xdotool getwindowpid "$(window)")")
cmp -s "$config/dane.txt" /usr/share/tickerwell/dane.txt || fail "the sample dane.txt was not copied to $config"
[ "$(stat -c %U "$config/dane.txt")" = "$user" ] || fail "$config/dane.txt does not belong to $user"
# The window reads dane.txt at every refresh: the demo's takes effect at START.
sed "s/@PORT@/$port/g" "$root/demo/dane.txt.in" >"$config/dane.txt"
# A second start hands over to the running copy and leaves the user's dane.txt alone.
as_user sh -c "$exec_line" || fail "a second start from the menu failed"
cmp -s "$config/dane.txt" <(sed "s/@PORT@/$port/g" "$root/demo/dane.txt.in") || fail "a second start replaced dane.txt"
end=$((SECONDS + 30))
until [ "$(height)" -gt 200 ]; do
  [ $SECONDS -lt $end ] || fail "START did not open the full window"
  xdotool mousemove --window "$(window)" 59 18 click 1
  sleep 1
done
for page in "$root"/tests/data/e2e/*.htm; do
  wait_for 60 cmp -s "$page" "$data/$(basename "$page")" || fail "page file $(basename "$page") is not in $data"
done
compgen -G '/usr/lib/tickerwell/*.htm' >/dev/null && fail "page files were written into /usr/lib/tickerwell"
(cd "$config" && as_user tickerwell --check) >"$work/check.txt" 2>&1 || true
grep -qF "Pliki stron okna: $data/" "$work/check.txt" || fail "--check does not name $data: $(cat "$work/check.txt")"
has_window || fail "the program ended after START: $(cat "$work/program.log")"
echo "Page files in $data; the check names the folder."

echo "== Removing the package"
kill "${pids[@]}" 2>/dev/null || true
dpkg -L tickerwell >"$work/files"
apt-get purge -y -q tickerwell >/dev/null
installed=""
while read -r file; do
  [ "$file" = /. ] || [ ! -e "$file" ] || [ -d "$file" ] || fail "$file is left after removal"
done <"$work/files"
left=$(find /usr -path '*tickerwell*' 2>/dev/null)
[ -z "$left" ] || fail "left under /usr: $left"
echo "The package checks passed."
