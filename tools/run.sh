#!/usr/bin/env bash
# Installs what is missing, builds, and starts the program (with the demo brand
# file the build puts beside it).
set -euo pipefail
cd "$(dirname "$0")/.."
tools/deps.sh
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
