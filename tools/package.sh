#!/usr/bin/env bash
# Builds the Debian package build/quillmere_<version>_amd64.deb: installs what
# is missing, builds the programs and the web engine module for /usr, and lets
# CPack lay them out with the desktop entry, icons, AppStream metadata, manual
# pages and documents. Its dependencies come from the built binaries.
#   tools/package.sh            then: sudo apt-get install ./build/quillmere_*_amd64.deb
set -euo pipefail
cd "$(dirname "$0")/.."
tools/deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_INSTALL_PREFIX=/usr \
    -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON >/dev/null
cmake --build build -j"$(nproc)" --target quillmere quillmere-compile quillmere-brand \
    qm_webengine qm_man_pages
rm -f build/quillmere_*_amd64.deb
(cd build && cpack -G DEB >/dev/null)
ls build/quillmere_*_amd64.deb
