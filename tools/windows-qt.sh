#!/usr/bin/env bash
# Builds, once, the static Qt for 64-bit Windows (MinGW-w64) that the Windows
# build of the program links, from Debian's own qt6-base source of the same
# version as the installed Linux Qt, and prints its prefix on the last line.
#
#   tools/windows-qt.sh            # build it unless it is already there
#
# It lands in ${XDG_CACHE_HOME:-~/.cache}/quillmere/qt-6.4.2-mingw-static/ with a
# key file naming the source version, the build options and the toolchain;
# when the key matches, the run ends in a second. A different key rebuilds.
#
# The system's apt configuration is left alone: the source is fetched with a
# sources list, package lists and cache folder of this script's own. What is
# checked before anything is built:
#   1. apt checks the suite's InRelease against Debian's archive keys
#      (debian-archive-keyring), and the Sources index against InRelease;
#   2. this script checks the same again on its own: gpgv checks InRelease
#      against the archive keyring, then the SHA-256 of the Sources index
#      must be the one InRelease lists, and the SHA-256 of the .dsc the one
#      the Sources index lists for this version of qt6-base;
#   3. the uploader's signature on the .dsc is checked with gpgv where Debian's
#      developer keyring (debian-keyring) is installed; without it the .dsc is
#      trusted through steps 1-2 (the archive-signed index names its hash);
#   4. dpkg-source -x --require-valid-signature (with debian-keyring) or
#      --require-strong-checksums checks every tarball against the SHA-256
#      sums in the .dsc before unpacking.
# Any mismatch stops the script before a single file is compiled.
#
# Building takes about 35 minutes of two cores (ninja, 1,192 steps); run it at
# low priority when others share the machine:
#   nice -n 19 ionice -c3 tools/windows-qt.sh
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$PWD

source_package=qt6-base
suite=bookworm
mirror=${QM_DEBIAN_MIRROR:-http://deb.debian.org/debian}
archive_keyring=/usr/share/keyrings/debian-archive-keyring.gpg
developer_keyrings=(/usr/share/keyrings/debian-keyring.gpg /usr/share/keyrings/debian-maintainers.gpg)
jobs=${QM_JOBS:-$(nproc)}

# The host tools (moc, rcc, uic...) come from Debian's Linux Qt: the Windows
# Qt must be exactly the same version.
version=$(dpkg-query -W -f='${source:Version}' qt6-base-dev-tools 2>/dev/null || true)
if [[ -z $version ]]; then
    echo "windows-qt: qt6-base-dev-tools is not installed (tools/packages.txt)" >&2
    exit 1
fi
upstream=${version%%+*}
upstream=${upstream%%-*}

cache=${XDG_CACHE_HOME:-$HOME/.cache}/quillmere
prefix=$cache/qt-$upstream-mingw-static
work=$cache/qt-$upstream-mingw-work

# What Qt is built with. Only the modules the program uses: Core, Gui, Widgets,
# OpenGL (OpenGLWidgets, on by default) and Test; the PNG, JPEG and ICO image
# formats.
# Debian's +dfsg source has no Wintab header, hence no tablet events.
options=(
    -DCMAKE_BUILD_TYPE=Release
    -DBUILD_SHARED_LIBS=OFF
    -DQT_BUILD_EXAMPLES=OFF
    -DQT_BUILD_TESTS=OFF
    -DFEATURE_sql=OFF
    -DFEATURE_dbus=OFF
    -DFEATURE_network=OFF
    -DFEATURE_printsupport=OFF
    -DFEATURE_concurrent=OFF
    -DFEATURE_xml=OFF
    -DFEATURE_tabletevent=OFF
    -DFEATURE_png=ON
    -DFEATURE_jpeg=ON
    -DFEATURE_ico=ON
)
toolchain=$repo/cmake/toolchains/mingw-w64-x86_64.cmake
key="qt6-base $version
options ${options[*]}
toolchain $(sha256sum "$toolchain" | cut -d' ' -f1)
compiler $(x86_64-w64-mingw32-g++-posix -dumpfullversion 2>/dev/null || echo none)"

main() {
    # One build at a time: a second run waits for the first, then finds its Qt.
    mkdir -p "$cache"
    exec 9>"$cache/qt-mingw.lock"
    if ! flock -n 9; then
        echo "windows-qt: waiting for another run building Qt for MinGW"
        flock 9
    fi

    matches() { [[ -f $1 && "$(cat "$1")" == "$key" ]]; }
    if matches "$prefix/quillmere-key.txt" && [[ -f $prefix/lib/cmake/Qt6/qt.toolchain.cmake ]]; then
        echo "windows-qt: Qt $version for MinGW is built"
        echo "$prefix"
        exit 0
    fi

    started=$(date +%s)
    # An interrupted build of the same key goes on where it stopped.
    if matches "$work/quillmere-key.txt" && [[ -f $work/build/build.ninja ]] &&
        [[ -f $prefix/share/quillmere/mingw-w64-x86_64.cmake ]]; then
        echo "windows-qt: resuming the build of Qt $version for MinGW in $work"
    else
        echo "windows-qt: building Qt $version for MinGW into $prefix"
        prepare
    fi
    cmake --build "$work/build" -j"$jobs"
    cmake --install "$work/build" >/dev/null
    printf '%s\n' "$key" >"$prefix/quillmere-key.txt"
    rm -rf "$work"
    echo "windows-qt: Qt $version for MinGW built in $(($(date +%s) - started)) s ($(du -sh "$prefix" | cut -f1))"
    echo "$prefix"
    exit 0
}

# Fetches and checks the source, and configures the build in $work/build.
prepare() {
    rm -rf "$work" "$prefix"
    mkdir -p "$work/apt/lists/partial" "$work/apt/cache/archives/partial" "$work/apt/sources.list.d" "$work/src"

    # 1. Fetch: apt with lists, cache and sources of this folder only.
    cat >"$work/apt/sources.list" <<EOF
deb-src [signed-by=$archive_keyring] $mirror $suite main
EOF
    apt_options=(
        -o Dir::Etc::sourcelist="$work/apt/sources.list"
        -o Dir::Etc::sourceparts="$work/apt/sources.list.d"
        -o Dir::State::Lists="$work/apt/lists"
        -o Dir::Cache="$work/apt/cache"
        -o Dir::Cache::pkgcache=""
        -o Dir::Cache::srcpkgcache=""
        -o APT::Sandbox::User=root
    )
    apt-get "${apt_options[@]}" update -qq
    (cd "$work/src" && apt-get "${apt_options[@]}" source --download-only -qq "$source_package=$version")

    # 2. Check the chain from Debian's archive keys down to the .dsc.
    dsc_name="${source_package}_${version#*:}.dsc"
    dsc=$work/src/$dsc_name
    inrelease=$(echo "$work"/apt/lists/*_dists_${suite}_InRelease)
    # apt may keep the index compressed (lz4, gz...): its helper reads any of them.
    sources=$work/Sources
    sources_stored=$(echo "$work"/apt/lists/*_dists_${suite}_main_source_Sources*)
    [[ -f $sources_stored ]] && /usr/lib/apt/apt-helper cat-file "$sources_stored" >"$sources"
    [[ -f $inrelease && -s $sources && -f $dsc ]] || {
        echo "windows-qt: apt did not bring InRelease, Sources and $dsc_name" >&2
        exit 1
    }
    gpgv --keyring "$archive_keyring" "$inrelease" 2>"$work/gpgv-inrelease.txt" || {
        cat "$work/gpgv-inrelease.txt" >&2
        echo "windows-qt: $inrelease is not signed by Debian's archive keys" >&2
        exit 1
    }
    echo "windows-qt: InRelease signed by Debian's archive key: $(grep -o 'using [A-Z]* key [0-9A-F]*' "$work/gpgv-inrelease.txt" | head -1)"
    sources_sum=$(sha256sum "$sources" | cut -d' ' -f1)
    # The SHA256 section of InRelease: " <sum> <size> main/source/Sources".
    awk '/^SHA256:/ { s = 1; next } /^[^ ]/ { s = 0 } s && $3 == "main/source/Sources" { print $1 }' \
        "$inrelease" | grep -qx "$sources_sum" || {
        echo "windows-qt: the Sources index does not match InRelease" >&2
        exit 1
    }
    dsc_sum=$(sha256sum "$dsc" | cut -d' ' -f1)
    # The stanza of this package and version, and its Checksums-Sha256 line of the .dsc.
    awk -v pkg="$source_package" -v ver="$version" -v file="$dsc_name" '
        /^$/ { p = 0; v = 0; c = 0; next }
        /^Package: / { p = ($2 == pkg) }
        /^Version: / { v = ($2 == ver) }
        /^Checksums-Sha256:/ { c = 1; next }
        /^[^ ]/ { c = 0 }
        c && $3 == file { sums[++n] = $1 }
        END { for (i = 1; i <= n; i++) print sums[i] }' "$sources" | grep -qx "$dsc_sum" || {
        echo "windows-qt: $dsc_name does not match the archive's Sources index" >&2
        exit 1
    }
    echo "windows-qt: $dsc_name matches the archive-signed index (SHA-256 $dsc_sum)"
    unpack=(--require-strong-checksums)
    keyrings=()
    for keyring in "${developer_keyrings[@]}"; do
        [[ -f $keyring ]] && keyrings+=(--keyring "$keyring")
    done
    if ((${#keyrings[@]})); then
        gpgv "${keyrings[@]}" "$dsc" || {
            echo "windows-qt: the uploader's signature on $dsc_name does not check out" >&2
            exit 1
        }
        unpack=(--require-valid-signature --require-strong-checksums)
    else
        echo "windows-qt: debian-keyring is not installed: the uploader's signature on $dsc_name is not checked (its hash is)"
    fi
    # dpkg-source checks every tarball against the .dsc's checksums before unpacking.
    (cd "$work/src" && dpkg-source "${unpack[@]}" -x "$dsc_name" qtbase >"$work/dpkg-source.txt")
    echo "windows-qt: source checked and unpacked in $(($(date +%s) - started)) s"

    # 3. Configure and build with Debian's host tools. The toolchain file is kept
    # beside the Qt, since Qt's own toolchain file loads it in every program's build.
    mkdir -p "$prefix/share/quillmere"
    cp "$toolchain" "$prefix/share/quillmere/mingw-w64-x86_64.cmake"
    cmake -S "$work/src/qtbase" -B "$work/build" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$prefix/share/quillmere/mingw-w64-x86_64.cmake" \
        -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
        -DCMAKE_INSTALL_PREFIX="$prefix" "${options[@]}"
    printf '%s\n' "$key" >"$work/quillmere-key.txt"
    echo "windows-qt: configured in $(($(date +%s) - started)) s"
}

main
