#!/usr/bin/env bash
# Builds the Debian packages "pallido" (the client) and "pallido-server" into
# build/packages/. Packaged builds carry no update key: the package manager
# keeps them up to date, so the build folder's key, if one was set, is reset.
# Install them with: sudo apt install ./build/packages/pallido_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

if grep -q '^PALLIDO_UPDATE_PUBLIC_KEY:STRING=.' build/CMakeCache.txt 2>/dev/null; then
  echo "note: build/ had an update key; packages are built without one" >&2
fi
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPALLIDO_UPDATE_PUBLIC_KEY=
cmake --build build -j"$(nproc)" --target pallido pallido-server pallido_docs
rm -f build/packages/*.deb
(cd build && cpack -G DEB)
ls -l build/packages/*.deb
