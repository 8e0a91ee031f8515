#!/usr/bin/env bash
# Installs every Debian 12 package Pallido needs to build, run and test.
# Idempotent: packages already present are left alone; the package lists are
# refreshed only when something is missing.
set -euo pipefail

PACKAGES=(
  build-essential cmake pkg-config git ca-certificates
  clang libclang-rt-14-dev
  libcurl4-openssl-dev libxml2-dev libzip-dev zlib1g-dev
  libcpp-httplib-dev libboost-dev libsqlite3-dev libssl-dev libsodium-dev minisign
  libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev qt6-base-dev-tools qt6-webengine-dev libqt6webenginecore6-bin qt6-charts-dev
  libgl-dev libxkbcommon-dev
  xvfb xauth x11-utils imagemagick openbox
  fonts-noto-cjk fonts-noto-color-emoji fonts-dejavu-core
  wrk nginx-light
  lintian desktop-file-utils appstream systemd dpkg-dev xdg-utils libglib2.0-bin qt6-wayland
  dbus-daemon at-spi2-core python3-pyatspi
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ "${#missing[@]}" -eq 0 ]; then
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y --no-install-recommends "${missing[@]}"
