#!/usr/bin/env bash
# Checks the packages that scripts/package.sh wrote to build/packages/:
# lintian, the desktop entry and AppStream metadata, the systemd unit, the
# files each package holds, and then the installed layout itself: both
# packages unpacked into a scratch root, that client started offscreen
# against that server (the black-box start-up test).
set -euo pipefail
cd "$(dirname "$0")/.."

client=$(ls build/packages/pallido_*.deb)
server=$(ls build/packages/pallido-server_*.deb)
id=org.pallido.Pallido
fail() { echo "package check failed: $*" >&2; exit 1; }

# Every check runs: a missing tool is a failure, not a check left out.
for tool in lintian dpkg-deb desktop-file-validate appstreamcli systemd-analyze strings; do
  command -v "$tool" >/dev/null || fail "$tool is missing (scripts/install-deps.sh installs it)"
done

echo "== lintian"
lintian --fail-on error,warning "$client" "$server"

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
dpkg -x "$client" "$scratch"
dpkg -x "$server" "$scratch"

echo "== desktop entry and metadata"
out=$(desktop-file-validate "$scratch/usr/share/applications/$id.desktop" 2>&1) || fail "$out"
[ -z "$out" ] || fail "desktop-file-validate: $out"
out=$(appstreamcli validate --no-net "$scratch/usr/share/metainfo/$id.metainfo.xml" 2>&1) || fail "$out"
if echo "$out" | grep -qE '^[EW]:'; then fail "appstreamcli: $out"; fi

echo "== systemd unit"
# The unit as installed, its program taken from the scratch root; the
# manual page it names is installed only with the package.
unit="$scratch/pallido-server.service"
sed "s|/usr/bin/pallido-server|$scratch/usr/bin/pallido-server|" \
  "$scratch/lib/systemd/system/pallido-server.service" > "$unit"
systemd-analyze verify --man=no "$unit"

echo "== package contents"
expect() {
  local deb=$1; shift
  local list; list=$(dpkg-deb -c "$deb" | awk '{print $6}')
  for f in "$@"; do
    echo "$list" | grep -qx "\./$f" || fail "$(basename "$deb") lacks $f"
  done
}
expect "$client" usr/bin/pallido usr/share/applications/$id.desktop usr/share/metainfo/$id.metainfo.xml \
  usr/share/icons/hicolor/scalable/apps/$id.svg usr/share/man/man1/pallido.1.gz \
  usr/share/doc/pallido/copyright usr/share/doc/pallido/changelog.gz \
  $(for s in 16 24 32 48 64 128 256; do echo usr/share/icons/hicolor/${s}x${s}/apps/$id.png; done)
expect "$server" usr/bin/pallido-server lib/systemd/system/pallido-server.service \
  usr/share/man/man1/pallido-server.1.gz usr/share/doc/pallido-server/copyright \
  usr/share/doc/pallido-server/changelog.gz usr/share/doc/pallido-server/examples/nginx/pallido.conf
if dpkg-deb -c "$client" | grep -q pallido-server; then fail "the client package holds server files"; fi
if dpkg-deb -f "$client" Depends | grep -q pallido-server; then fail "the client depends on the server"; fi
for dep in fonts-noto-cjk fonts-noto-color-emoji xdg-utils qt6-wayland libqt6webenginecore6-bin; do
  dpkg-deb -f "$client" Depends | grep -q "$dep" || fail "the client does not depend on $dep"
done

echo "== no update key in the packaged client"
# A minisign public key line: "RW" and 54 more base64 characters. The keyed
# test client of this build carries one, so the search is shown to find it.
update_keys() { strings -n 56 "$1" | grep -oE 'RW[A-Za-z0-9+/]{54}' || true; }
keyed=build/tests/update/pallido_keyed_client
if [ -x "$keyed" ] && [ -z "$(update_keys "$keyed")" ]; then fail "the key search finds no key in $keyed"; fi
found=$(update_keys "$scratch/usr/bin/pallido")
[ -z "$found" ] || fail "the packaged client carries an update key: $found"

echo "== the installed client against the installed server"
export QT_QPA_PLATFORM=offscreen
if [ "$(id -u)" -eq 0 ]; then export QTWEBENGINE_DISABLE_SANDBOX=1; fi
# The test must have run: a skip (a port in use) or a filter that matches
# nothing passes in gtest's eyes, not here.
status=0
out=$(PALLIDO_TEST_CLIENT="$scratch/usr/bin/pallido" PALLIDO_TEST_SERVER="$scratch/usr/bin/pallido-server" \
  build/tests/app/app_blackbox_tests --gtest_filter='BlackBox.StartsUpAgainstThePublisherServer*' 2>&1) ||
  status=$?
echo "$out" | grep -E '^\[ +(OK|FAILED|SKIPPED|PASSED) +\]' || true
[ "$status" -eq 0 ] || fail "the installed client's test failed: $(echo "$out" | tail -n 30)"
if echo "$out" | grep -q '^\[  SKIPPED \]'; then fail "the installed client's test was skipped"; fi
echo "$out" | grep -qE '^\[  PASSED  \] [1-9][0-9]* tests?\.' || fail "no installed client's test ran"
echo "packages checked"
