#!/usr/bin/env bash
# Runs atspi_walk.py against the built client in a private D-Bus session
# (the accessibility bus is started on demand inside it); the walker starts
# its own X server on a display nobody else uses. Exit code 77 means the
# tools are not installed.
#   atspi_test.sh CLIENT SERVER PRIMARY_URL
set -euo pipefail
client=$1 server=$2 url=$3
for tool in Xvfb dbus-run-session dbus-send /usr/libexec/at-spi-bus-launcher; do
  command -v "$tool" >/dev/null || { echo "missing $tool"; exit 77; }
done
/usr/bin/python3 -c 'import pyatspi' 2>/dev/null || { echo "missing python3-pyatspi"; exit 77; }
if [[ ! $url =~ ^http://127\.0\.0\.1:([0-9]+)/ ]]; then
  echo "the built-in primary address is not on 127.0.0.1"; exit 77
fi
port=${BASH_REMATCH[1]}
here=$(dirname "$0")
unset DBUS_SESSION_BUS_ADDRESS AT_SPI_BUS_ADDRESS
unset DISPLAY
exec timeout 240 dbus-run-session -- /usr/bin/python3 "$here/atspi_walk.py" "$client" "$server" "$port"
