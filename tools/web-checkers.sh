#!/usr/bin/env bash
# The web's own checker on the pages the program publishes: exports every
# sample project of tests/compiler/samples with the given quillmere-compile
# and validates each index.html with the Nu HTML Checker, which must find
# no error.
#
#   tools/web-checkers.sh QUILLMERE_COMPILE
#
# The checker (npm package vnu-jar) is installed once into a cache folder
# outside the repository, ${XDG_CACHE_HOME:-~/.cache}/quillmere/web-checkers;
# it runs on Java (Debian default-jre-headless). Exit status 0 when every page
# is valid, 1 on an error, 77 (a skip for CTest) when Java or npm is missing.
set -euo pipefail

VNU_VERSION=26.10.12

tool=${1:?usage: tools/web-checkers.sh QUILLMERE_COMPILE}
root=$(cd "$(dirname "$0")/.." && pwd)
cache=${XDG_CACHE_HOME:-$HOME/.cache}/quillmere/web-checkers
jar=$cache/node_modules/vnu-jar/build/dist/vnu.jar

if ! command -v java >/dev/null; then
    echo "SKIPPED: java is missing (install default-jre-headless)"
    exit 77
fi
if [[ ! -f $jar ]]; then
    if ! command -v npm >/dev/null; then
        echo "SKIPPED: npm is missing, so the Nu HTML Checker cannot be installed"
        exit 77
    fi
    mkdir -p "$cache"
    (cd "$cache" && npm install --no-audit --no-fund --save-exact "vnu-jar@$VNU_VERSION" >/dev/null)
fi

out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
pages=()
for project in "$root"/tests/compiler/samples/*.prj; do
    name=$(basename "$project" .prj)
    "$tool" --export "$out/$name" "$project"
    pages+=("$out/$name/index.html")
done

if java -jar "$jar" --errors-only --format text "${pages[@]}"; then
    echo "Nu HTML Checker: 0 errors in ${#pages[@]} pages"
else
    echo "Nu HTML Checker found errors in the pages above" >&2
    exit 1
fi
