#!/usr/bin/env bash
# The whole program for Windows: builds (once) the static Qt for MinGW with
# tools/windows-qt.sh, cross-builds quillmere.exe with it into
# build-windows-gui (no web engine: there is none for MinGW), runs the window
# tests under Wine on Qt's offscreen platform (as on Linux), and starts the
# program under Wine on a virtual display: the main menu comes up at 752 x 552, Legal
# Information opens with the date chart as plain text and Manage Projects
# opens; Escape and "Main Menu" close them; screenshots of each are kept in
# build-windows-gui/shots (QM_SHOTS=<folder> puts them elsewhere). Prints the
# time each step took.
#
#   tools/test-windows-gui.sh
#
# A cold run builds Qt first (about 35 minutes of two cores); with Qt in the
# cache, the program builds in a few minutes (ccache makes rebuilds cheap).
set -euo pipefail
cd "$(dirname "$0")/.."

if [[ -z ${QM_WINDOWS_GUI_INNER:-} ]]; then
    # -noreset: the server stays up between the program's starts.
    QM_WINDOWS_GUI_INNER=1 exec xvfb-run -a -s "-screen 0 1024x768x24 -noreset" "$0" "$@"
fi

dir=build-windows-gui
shots=${QM_SHOTS:-$PWD/$dir/shots}
step_started=$(date +%s)
started=$step_started
step() {
    local now
    now=$(date +%s)
    echo "$1 took $((now - step_started)) s"
    step_started=$now
}

# 1. Qt for MinGW (seconds when it is in the cache).
qt=$(tools/windows-qt.sh | tail -n 1)
step "Qt for MinGW ($qt)"

# 2. The program, linked statically: one .exe beside its brand file.
launcher=()
if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" \
    -DCMAKE_TOOLCHAIN_FILE="$qt/lib/cmake/Qt6/qt.toolchain.cmake" \
    -DQM_WEBENGINE=OFF -DQM_GTEST_SOURCE_DIR=/usr/src/googletest >/dev/null
cmake --build "$dir" -j"$(nproc)" --target quillmere qm_demo_brand quillmere-compile \
    quillmere-brand quillmere-status
echo "quillmere.exe: $(du -h "$dir/bin/quillmere.exe" | cut -f1); DLLs it needs:" \
    $(x86_64-w64-mingw32-objdump -p "$dir/bin/quillmere.exe" | sed -n 's/.*DLL Name: //p' | sort -u)
step "Building quillmere.exe"

# Wine runs in a prefix of the build's own (never ~/.wine), the one the
# toolchain gives ctest too.
export WINEPREFIX="$PWD/$dir/wine-prefix" WINEDEBUG=-all
if [[ ! -f $WINEPREFIX/system.reg ]]; then
    wineboot -i >/dev/null 2>&1
fi

# 3. The window tests, offscreen under Wine (ctest runs them through the
# toolchain's Wine with a prefix of the build's own).
mapfile -t gui_tests < <(ctest --test-dir "$dir" -N -L gui | sed -n 's/^ *Test *#[0-9]*: //p')
status=0
if ((${#gui_tests[@]})); then
    cmake --build "$dir" -j"$(nproc)" --target "${gui_tests[@]}"
    ctest --test-dir "$dir" -L gui --output-on-failure || status=$?
fi
step "Window tests under Wine (${#gui_tests[@]} programs: ${gui_tests[*]})"

# 4. The program under Wine on a virtual display, used as a user would:
# menus, the wizard saving and compiling a project (the page compared byte for
# byte with the Linux compiler's).
compiler=${QM_LINUX_COMPILER:-build/bin/quillmere-compile}
[[ -x $compiler ]] || {
    echo "test-windows-gui: no Linux compiler at $compiler (build it first: tools/build.sh build)" >&2
    exit 1
}
tests/windows/wine-smoke.sh "$dir/bin" "$compiler" "$shots" || status=1
step "quillmere.exe under Wine"

# 5. The installer: built, installed silently for all users and for one,
# started, uninstalled.
tests/windows/installer-test.sh "$dir/bin" "$dir/bin/Quillmere.dat" "$dir/installer" "$shots" ||
    status=1
step "The installer under Wine"
echo "Windows program step took $(($(date +%s) - started)) s"
exit $status
