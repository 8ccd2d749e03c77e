#!/usr/bin/env bash
# Configures and builds one build folder: tools/build.sh DIR [cmake options...]
# QM_TARGETS="a b" builds only those targets (and what they need), not everything.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=$1
shift
launcher=()
# A compiler cache, where one is installed, makes rebuilds of unchanged sources cheap.
if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" "$@" >/dev/null
targets=()
if [[ -n "${QM_TARGETS:-}" ]]; then
    read -ra names <<<"$QM_TARGETS"
    targets=(--target "${names[@]}")
fi
cmake --build "$dir" -j"$(nproc)" "${targets[@]}"
