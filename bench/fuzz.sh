#!/usr/bin/env bash
# Runs the coverage-guided fuzz targets (libFuzzer) for a given time each.
#
#   bench/fuzz.sh SECONDS [TARGET...]
#
# TARGET is one of ini, brand, archive, project, compiler, dropblock (default:
# all, one after the other). Configures and builds the clang fuzz build
# (QM_FUZZ=ON, QM_GUI=OFF: ASan + UBSan + coverage) in $FUZZ_BUILD (default
# build-fuzz), copies each target's seed corpus from tests/fuzz/corpus/<target>
# to a scratch corpus $FUZZ_WORK/<target> (default folder
# ${TMPDIR:-/tmp}/quillmere-fuzz; the seeds in the tree are never changed),
# fuzzes it for SECONDS seconds with the output in $FUZZ_WORK/<target>.log and
# prints libFuzzer's final figures. A crash, leak, sanitizer report or broken
# property stops the script with exit status 1 and names the saved input.
# Extra libFuzzer options may be given in $FUZZ_OPTIONS.
set -euo pipefail
cd "$(dirname "$0")/.."

all_targets=(ini brand archive project compiler dropblock)
if [[ $# -lt 1 || ! $1 =~ ^[0-9]+$ ]]; then
    sed -n '2,15p' "$0" | sed 's/^# \{0,1\}//'
    exit 2
fi
seconds=$1
shift
targets=("$@")
[[ ${#targets[@]} -gt 0 ]] || targets=("${all_targets[@]}")

build=${FUZZ_BUILD:-build-fuzz}
work=${FUZZ_WORK:-${TMPDIR:-/tmp}/quillmere-fuzz}

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang \
    -DCMAKE_CXX_COMPILER=clang++ -DQM_FUZZ=ON -DQM_GUI=OFF >/dev/null
cmake --build "$build" -j"$(nproc)" --target "${targets[@]/#/fuzz_}" >/dev/null

mkdir -p "$work"
status=0
for t in "${targets[@]}"; do
    corpus=$work/$t
    log=$work/$t.log
    rm -rf "$corpus"
    mkdir -p "$corpus"
    cp tests/fuzz/corpus/"$t"/* "$corpus"/
    echo "== fuzz_$t: ${seconds} s, corpus $corpus, log $log"
    # shellcheck disable=SC2086
    if "$build"/fuzz/fuzz_"$t" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
        -artifact_prefix="$work/$t-" ${FUZZ_OPTIONS:-} "$corpus" >"$log" 2>&1; then
        # The last status line (executions, coverage, features, corpus) and the totals.
        grep -a -E '^#[0-9]+' "$log" | tail -n 1
        grep -a -E '^stat::' "$log"
        echo "corpus files: $(find "$corpus" -type f | wc -l)"
    else
        status=1
        echo "FAILED: fuzz_$t"
        grep -a -E 'ERROR:|PROPERTY VIOLATED|SUMMARY:|Test unit written' "$log" || tail -n 30 "$log"
    fi
done
exit $status
