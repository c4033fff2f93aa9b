# Sourced: start_xvfb starts a virtual X server on a free display, exports DISPLAY and sets
# XVFB_PID; the caller stops the server (kill "$XVFB_PID") when it is done. The server picks the
# display itself (-displayfd), so that servers started at the same time never share one. It does not
# reset when its last client goes (-noreset): a test that connected during a reset would find no
# display.
start_xvfb() {
  local file
  file=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$file" >/dev/null 2>&1 &
  XVFB_PID=$!
  for _ in $(seq 100); do
    if [ -s "$file" ]; then
      export DISPLAY=":$(cat "$file")"
      rm -f "$file"
      return 0
    fi
    sleep 0.1
  done
  rm -f "$file"
  echo "Xvfb did not start" >&2
  return 1
}
