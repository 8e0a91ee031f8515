#!/usr/bin/env bash
# Runs a command on a private X server (Xvfb, on a display it picks itself)
# under a real window manager (openbox), so that windows get the frames a
# desktop gives them; both are stopped when the command ends. Every wait is
# bounded. Fails, never skips, when a tool is missing.
#   with_window_manager.sh COMMAND [ARGUMENTS...]
set -euo pipefail
[ $# -ge 1 ] || { echo "usage: $0 COMMAND [ARGUMENTS...]" >&2; exit 2; }
for tool in Xvfb openbox xprop timeout; do
  command -v "$tool" >/dev/null || { echo "missing $tool" >&2; exit 1; }
done

work=$(mktemp -d)
xvfb="" wm=""
stop() {
  for pid in $wm $xvfb; do
    kill "$pid" 2>/dev/null || true
  done
  for pid in $wm $xvfb; do
    for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    kill -9 "$pid" 2>/dev/null || true
  done
  rm -rf "$work"
}
trap stop EXIT

# Xvfb writes its display number to the pipe once it accepts clients.
mkfifo "$work/ready"
Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp 3>"$work/ready" >"$work/xvfb.log" 2>&1 &
xvfb=$!
display=""
read -r -t 30 display <"$work/ready" || true
[[ $display =~ ^[0-9]+$ ]] || { echo "the X server did not start" >&2; cat "$work/xvfb.log" >&2; exit 1; }
export DISPLAY=":$display"

openbox --sm-disable >"$work/wm.log" 2>&1 &
wm=$!
# The manager is ready once it has announced itself on the root window.
for _ in $(seq 100); do
  if xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; then break; fi
  kill -0 "$wm" 2>/dev/null || break
  sleep 0.1
done
xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' ||
  { echo "the window manager did not start" >&2; cat "$work/wm.log" >&2; exit 1; }

export QT_QPA_PLATFORM=xcb
status=0
timeout 240 "$@" || status=$?
exit "$status"
