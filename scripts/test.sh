#!/usr/bin/env bash
# Installs what is needed, builds Pallido and runs the whole test suite:
# the normal build first, then its Debian packages and their checks
# (scripts/check-packages.sh), then the same suite under AddressSanitizer and
# UndefinedBehaviorSanitizer, then again under ThreadSanitizer (window tests
# with the search and update workers included). GUI tests run offscreen, so
# no display is needed; the one that needs window frames starts its own X
# server and window manager (tests/app/with_window_manager.sh). Between the plain suite and the sanitizer passes
# every fuzz target runs for a few seconds (a smoke run; scripts/fuzz runs
# them for longer).
# PALLIDO_SKIP_SANITIZE=1 skips the ASan/UBSan and TSan passes and
# PALLIDO_SKIP_FUZZ=1 the fuzz pass, for a quick local run.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

export QT_QPA_PLATFORM=offscreen
if [ "$(id -u)" -eq 0 ]; then export QTWEBENGINE_DISABLE_SANDBOX=1; fi
jobs=$(nproc)

# CI runs no benchmark, so its build leaves them out to stay within its time.
bench=ON
if [ "${CI:-}" = "true" ]; then bench=OFF; fi
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPALLIDO_BUILD_BENCH="$bench"
cmake --build build -j"$jobs"
(cd build && ctest --output-on-failure -j2 --timeout 300)

# The Debian packages, from the same build, and what they install.
bash scripts/package.sh
bash scripts/check-packages.sh

if [ "${PALLIDO_SKIP_FUZZ:-0}" != "1" ]; then
  bash scripts/fuzz "${PALLIDO_FUZZ_SECONDS:-3}"
fi

if [ "${PALLIDO_SKIP_SANITIZE:-0}" != "1" ]; then
  export ASAN_OPTIONS="detect_leaks=0:abort_on_error=1"
  export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
  cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DPALLIDO_SANITIZE=ON -DPALLIDO_BUILD_BENCH=OFF
  cmake --build build-asan -j"$jobs"
  (cd build-asan && ctest --output-on-failure -j2 --timeout 600)

  # The checker's own settings are compiled into each program of this build.
  cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPALLIDO_TSAN=ON \
    -DPALLIDO_BUILD_GUI=ON -DPALLIDO_BUILD_BENCH=OFF
  cmake --build build-tsan -j"$jobs"
  (cd build-tsan && ctest --output-on-failure -j2 --timeout 600)
fi
