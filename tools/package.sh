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
deb=$(ls build/quillmere_*_amd64.deb)

# CPack adds ldconfig scripts for any library under /usr/lib, here the private
# web engine module in /usr/lib/quillmere, which ldconfig never looks at; with
# them, apt-get remove would leave the package in the "rc" state. The package
# needs no maintainer scripts. The module is stripped (the programs are not:
# that would cut off the documents appended to them).
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg-deb -R "$deb" "$root/pkg"
rm -f "$root/pkg/DEBIAN/postinst" "$root/pkg/DEBIAN/postrm"
strip --strip-unneeded --remove-section=.comment --remove-section=.note \
    "$root/pkg/usr/lib/quillmere/libqm_webengine.so"
(cd "$root/pkg" && find usr -type f -print0 | sort -z | xargs -0 md5sum >DEBIAN/md5sums)
dpkg-deb --build --root-owner-group "$root/pkg" "$deb" >/dev/null
echo "$deb"
