#!/usr/bin/env bash
# Takes a screenshot of the client after its first search, on a virtual X
# display. Builds nothing: uses build/pallido-server when it exists (its demo
# catalog), otherwise the canned stand-in build/tests/app/pallido_demo_server.
#   scripts/screenshot.sh [build-dir] [output.png]
# PALLIDO_PORT names the client's built-in primary port when the build was
# configured with another PALLIDO_PRIMARY_URL (default 8700).
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
out="${2:-$build/pallido-screenshot.png}"
wait_s="${PALLIDO_SCREENSHOT_WAIT:-6}"
port="${PALLIDO_PORT:-8700}"
# PALLIDO_SCREEN sets the virtual screen (twice the size for QT_SCALE_FACTOR=2);
# PALLIDO_KEYS, keys sent to the window before the capture (needs xdotool).
screen="${PALLIDO_SCREEN:-1024x768x24}"
keys="${PALLIDO_KEYS:-}"

[ -x "$build/pallido" ] || { echo "no client at $build/pallido" >&2; exit 1; }
if [ "$(id -u)" -eq 0 ]; then export QTWEBENGINE_DISABLE_SANDBOX=1; fi
export QTWEBENGINE_CHROMIUM_FLAGS="${QTWEBENGINE_CHROMIUM_FLAGS:---disable-gpu}"

server_pid=""
cleanup() { if [ -n "$server_pid" ]; then kill "$server_pid" 2>/dev/null || true; wait "$server_pid" 2>/dev/null || true; fi; }
trap cleanup EXIT
if [ -x "$build/pallido-server" ]; then
  "$build/pallido-server" --port "$port" --catalog "$build/catalog.sqlite" --quiet &
  server_pid=$!
elif [ -x "$build/tests/app/pallido_demo_server" ]; then
  "$build/tests/app/pallido_demo_server" "$port" &
  server_pid=$!
else
  echo "no server built; the client runs alone (fallback, empty results)" >&2
fi
# Wait until the server listens (the first start of pallido-server creates
# its catalog first); the client probes it only once.
if [ -n "$server_pid" ]; then
  for _ in $(seq 1 300); do
    if (exec 3<>/dev/tcp/127.0.0.1/"$port") 2>/dev/null; then break; fi
    kill -0 "$server_pid" 2>/dev/null || { echo "the server did not start" >&2; exit 1; }
    sleep 0.1
  done
fi

# The client runs under xvfb-run (with openbox, when installed, so the
# window's frame and icon show too); after the wait the whole screen is
# captured.
xvfb-run -a -s "-screen 0 $screen" bash -c '
  if command -v openbox >/dev/null; then openbox >/dev/null 2>&1 & sleep 1; fi
  "$0" & client=$!
  sleep "$1"
  if [ -n "$3" ]; then
    xdotool search --sync --onlyvisible --name "^Pallido$" windowactivate --sync key --delay 150 $3 2>/dev/null ||
      echo "could not send the keys (xdotool missing?)" >&2
    sleep 1
  fi
  import -window root "$2"
  kill "$client" 2>/dev/null || true
  wait "$client" 2>/dev/null || true
' "$build/pallido" "$wait_s" "$out" "$keys"
echo "$out"
