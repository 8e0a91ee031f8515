#!/usr/bin/env bash
# Runs atspi_walk.py against the built client in a private D-Bus session
# (the accessibility bus is started on demand inside it) on a private X
# server. Exit code 77 means the tools are not installed.
#   atspi_test.sh CLIENT SERVER PRIMARY_URL
set -euo pipefail
client=$1 server=$2 url=$3
for tool in xvfb-run dbus-run-session dbus-send /usr/libexec/at-spi-bus-launcher; do
  command -v "$tool" >/dev/null || { echo "missing $tool"; exit 77; }
done
/usr/bin/python3 -c 'import pyatspi' 2>/dev/null || { echo "missing python3-pyatspi"; exit 77; }
if [[ ! $url =~ ^http://127\.0\.0\.1:([0-9]+)/ ]]; then
  echo "the built-in primary address is not on 127.0.0.1"; exit 77
fi
port=${BASH_REMATCH[1]}
here=$(dirname "$0")
unset DBUS_SESSION_BUS_ADDRESS AT_SPI_BUS_ADDRESS
exec timeout 240 xvfb-run -a -s "-screen 0 1280x1024x24" \
  dbus-run-session -- /usr/bin/python3 "$here/atspi_walk.py" "$client" "$server" "$port"
