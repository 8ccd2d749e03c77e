#!/usr/bin/env bash
# The Windows step of tools/test.sh: cross-builds the window-free libraries,
# quillmere-compile, quillmere-brand and their tests for 64-bit Windows with
# MinGW-w64 into build-windows, runs the tests under Wine, and checks that the
# Windows quillmere-compile.exe compiles projects to the same bytes as the
# Linux one in build/ (when that is built). Prints the number of tests run,
# passed and skipped (with the reasons) and the time the step took.
set -euo pipefail
cd "$(dirname "$0")/.."
started=$(date +%s)
dir=build-windows
# Wine gets a prefix of the build's own (never ~/.wine) and keeps quiet.
export WINEPREFIX="$PWD/$dir/wine-prefix" WINEDEBUG=-all
mkdir -p "$dir"
if [[ ! -f "$WINEPREFIX/system.reg" ]]; then
    echo "Making the Wine prefix $WINEPREFIX"
    wineboot -i >/dev/null 2>&1
fi

tools/build.sh "$dir" -DQM_GUI=OFF \
    -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/toolchains/mingw-w64-x86_64.cmake" \
    -DQM_GTEST_SOURCE_DIR=/usr/src/googletest

status=0
ctest --test-dir "$dir" --output-on-failure -j"$(nproc)" || status=$?

# Counts from the test programs' own reports: every GoogleTest case, and the
# reason each skipped one gave.
tr -d '\r' <"$dir/Testing/Temporary/LastTest.log" | awk '
    /^\[==========\] [0-9]+ tests? from .* ran/ { run += $2 }
    /^\[  PASSED  \] [0-9]+ test/ { passed += $4 }
    /: Skipped$/ { grab = 1; reason = ""; next }
    grab && /^\[  SKIPPED \] / { skips = skips sprintf("  skipped %s: %s\n", $4, reason); skipped++; grab = 0; next }
    grab { reason = reason (reason == "" ? "" : " ") $0 }
    END {
        printf "Windows tests under Wine: %d run, %d passed, %d skipped, %d failed\n", run, passed, skipped, run - passed - skipped
        printf "%s", skips
    }'

# The same project compiled by the Linux and the Windows tool gives the same page.
if [[ -x build/bin/quillmere-compile ]]; then
    work=$(mktemp -d "$PWD/$dir/parity.XXXXXX")
    exe="$PWD/$dir/bin/quillmere-compile.exe"
    same=0
    for project in tests/fuzz/corpus/project/*.prj; do
        name=$(basename "$project" .prj)
        cp "$project" "$work/$name.prj"
        linux=0 windows=0
        build/bin/quillmere-compile "$work/$name.prj" "$work/$name.linux.html" 2>/dev/null || linux=$?
        (cd "$work" && wine "$exe" "$name.prj" "$name.windows.html" \
            2>/dev/null) || windows=$?
        if [[ $linux != 0 || $windows != 0 ]] || ! cmp -s "$work/$name.linux.html" "$work/$name.windows.html"; then
            echo "quillmere-compile.exe differs from the Linux build on $project (exit $windows, Linux $linux)"
            status=1
        else
            same=$((same + 1))
        fi
    done
    echo "quillmere-compile.exe under Wine: $same projects compiled to the same bytes as on Linux"
    rm -rf "$work"
else
    echo "quillmere-compile.exe not compared: build/bin/quillmere-compile is not built"
fi
echo "Windows step took $(($(date +%s) - started)) s"
exit $status
