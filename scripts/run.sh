#!/usr/bin/env bash
# Installs what is needed, builds Pallido, starts the local publisher server
# on 127.0.0.1:8700 and then the client against it; the server is stopped
# when the client exits.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$(nproc)"

if [ "$(id -u)" -eq 0 ]; then export QTWEBENGINE_DISABLE_SANDBOX=1; fi

server_pid=""
if [ -x build/pallido-server ]; then
  build/pallido-server --port 8700 --catalog build/catalog.sqlite --quiet &
  server_pid=$!
  trap '[ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null; wait 2>/dev/null || true' EXIT
  # The first start creates the catalog before listening; the client probes
  # the server once at start-up and would otherwise fall back for the run.
  for _ in $(seq 1 300); do
    if (exec 3<>/dev/tcp/127.0.0.1/8700) 2>/dev/null; then break; fi
    kill -0 "$server_pid" 2>/dev/null || break
    sleep 0.1
  done
else
  echo "pallido-server is not built yet; starting the client alone." >&2
fi

if [ -x build/pallido ]; then
  build/pallido
else
  echo "The client (build/pallido) is not built yet." >&2
  if [ -n "$server_pid" ]; then wait "$server_pid"; fi
fi
