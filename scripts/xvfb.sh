# Sourced by the scripts that run the tests: starts an X server of their own
# (Xvfb) on a free display number, points Qt's xcb platform at it, and stops
# it however the script ends. -noreset: an X server that resets when its
# last client leaves drops a client that is still connecting at that moment
# ("could not connect to display"), and tests come and go all the time.
xvfb_number="$(mktemp)"
xvfb_pid=
stop_xvfb() {
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; wait "$xvfb_pid" 2>/dev/null || true; fi
  rm -f "$xvfb_number"
}
trap stop_xvfb EXIT
Xvfb -displayfd 3 -screen 0 1600x1000x24 -nolisten tcp -noreset 3>"$xvfb_number" 2>/dev/null &
xvfb_pid=$!
for _ in $(seq 300); do [ -s "$xvfb_number" ] && break; sleep 0.1; done
[ -s "$xvfb_number" ] || { echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(tr -d '[:space:]' <"$xvfb_number")"
unset QT_QPA_PLATFORM
export QTWEBENGINE_CHROMIUM_FLAGS="${QTWEBENGINE_CHROMIUM_FLAGS:---no-sandbox}"
