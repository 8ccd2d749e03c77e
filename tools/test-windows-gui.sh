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
cmake --build "$dir" -j"$(nproc)" --target quillmere qm_demo_brand
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

# 4. The program under Wine on the virtual display.
unset QT_QPA_PLATFORM
work=$(mktemp -d "$PWD/$dir/run.XXXXXX")
pid=
cleanup() {
    [[ -n $pid ]] && kill "$pid" 2>/dev/null || true
    wineserver -k 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}
# Waits up to 30 s (Wine's first start is slow) for a visible window titled $1.
wait_window() {
    local id i
    for ((i = 0; i < 300; i++)); do
        id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1 || true)
        [[ -n $id ]] && {
            echo "$id"
            return 0
        }
        sleep 0.1
    done
    return 1
}
gone() {
    local i
    for ((i = 0; i < 100; i++)); do
        xdotool search --onlyvisible --name "$1" >/dev/null 2>&1 || return 0
        sleep 0.1
    done
    return 1
}
shot() {
    mkdir -p "$shots"
    sleep 0.5
    import -window root "$shots/$1.png"
    echo "screenshot $shots/$1.png"
}
# A click 20 px right of and 10 px below a button's top left corner.
click() {
    xdotool mousemove --window "$1" $(($2 + 20)) $(($3 + 10))
    sleep 0.2
    xdotool click 1
}

cp "$dir/bin/quillmere.exe" "$dir/bin/Quillmere.dat" "$work/"
launched=$(date +%s%N)
(cd "$work" && exec wine quillmere.exe) &
pid=$!
menu=$(wait_window '^Quillmere$') || fail "no main window titled Quillmere under Wine"
echo "main menu up $((($(date +%s%N) - launched) / 1000000)) ms after the start"
geometry=$(xdotool getwindowgeometry "$menu" | sed -n 's/.*Geometry: //p')
[[ $geometry == 752x552 ]] || fail "main window is $geometry, not 752x552"
shot main-menu

click "$menu" 91 314 # Legal Information
legal=$(wait_window '^Legal Information$') || fail "Legal Information did not open"
shot legal-information
xdotool windowfocus "$legal" 2>/dev/null || true
xdotool key Escape
gone '^Legal Information$' || fail "Legal Information did not close on Escape"

click "$menu" 280 141 # Manage Projects
projects=$(wait_window '^Manage Projects') || fail "Manage Projects did not open"
shot manage-projects
xdotool windowfocus "$projects" 2>/dev/null || true
xdotool key Escape
gone '^Manage Projects' || fail "Manage Projects did not close on Escape"

xdotool windowfocus "$menu" 2>/dev/null || true
xdotool key Escape
for ((i = 0; i < 100; i++)); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
done
kill -0 "$pid" 2>/dev/null && fail "quillmere.exe did not end on Escape"
wait "$pid" || true
pid=
step "quillmere.exe under Wine"
echo "Windows program step took $(($(date +%s) - started)) s"
exit $status
