#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the window-free tests
# under AddressSanitizer and UndefinedBehaviorSanitizer with a few seconds of
# each fuzz target (build-asan, clang), then the whole suite, window tests
# offscreen and real-window tests under Xvfb (build), then the window-free
# layer cross-built for Windows and tested under Wine (build-windows).
set -euo pipefail
cd "$(dirname "$0")/.."
tools/deps.sh
export QTWEBENGINE_DISABLE_SANDBOX=1
# A build-asan configured with another compiler is started afresh.
grep -qs '^CMAKE_CXX_COMPILER:.*clang++' build-asan/CMakeCache.txt || rm -rf build-asan
tools/build.sh build-asan -DQM_GUI=OFF -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DQM_FUZZ=ON
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --test-dir build-asan --output-on-failure -j"$(nproc)"
tools/build.sh build
ctest --test-dir build --output-on-failure -j"$(nproc)"
# The Debian package, installed and used by an ordinary user, then removed
# (tests/package/package_test.sh). It installs packages, so only as root.
if [[ $(id -u) -eq 0 ]]; then
    sh tests/package/package_test.sh build/package-test
else
    echo "SKIPPED: the package test (tests/package/package_test.sh) installs the package and needs root"
fi
# Windows: the window-free layer and the tools cross-built with MinGW-w64 and
# tested under Wine (build-windows).
tools/test-windows.sh
