#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the window-free tests
# under AddressSanitizer and UndefinedBehaviorSanitizer with a few seconds of
# each fuzz target (build-asan, clang), then the whole suite, window tests
# offscreen and real-window tests under Xvfb (build), then the window-free
# layer cross-built for Windows and tested under Wine (build-windows), then
# the whole program for Windows with a static Qt built once from Debian's
# source: its window tests, a smoke test and the installer under Wine
# (build-windows-gui).
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
# Windows: the whole program, with the static Qt for MinGW (built into the
# user's cache on the first run, about 35 minutes), its window tests, the
# program used under Wine and the installer (build-windows-gui).
tools/test-windows-gui.sh
