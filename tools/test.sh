#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the window-free tests
# under AddressSanitizer and UndefinedBehaviorSanitizer (build-asan), then the
# whole suite, window tests offscreen and real-window tests under Xvfb (build).
set -euo pipefail
cd "$(dirname "$0")/.."
tools/deps.sh
export QTWEBENGINE_DISABLE_SANDBOX=1
tools/build.sh build-asan -DQM_GUI=OFF -DQM_SANITIZE=ON
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --test-dir build-asan --output-on-failure -j"$(nproc)"
tools/build.sh build
ctest --test-dir build --output-on-failure -j"$(nproc)"
