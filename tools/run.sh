#!/usr/bin/env bash
# Installs what is missing, builds what it starts, and starts the program (with
# the demo brand file the build puts beside it). Only the program, its two
# tools, the web engine module and the demo brand are built, not the tests and
# benchmarks (tools/test.sh builds everything).
set -euo pipefail
cd "$(dirname "$0")/.."
tools/deps.sh
QM_TARGETS="quillmere quillmere-compile quillmere-brand qm_webengine qm_demo_brand" \
    tools/build.sh build
if [[ $(id -u) -eq 0 ]]; then
    # The web engine's sandbox refuses to run as root.
    export QTWEBENGINE_DISABLE_SANDBOX=1
fi
if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" ]]; then
    echo "No display found: starting the program on a virtual display (xvfb-run)."
    exec xvfb-run -a build/bin/quillmere "$@"
fi
exec build/bin/quillmere "$@"
