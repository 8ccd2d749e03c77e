#!/usr/bin/env bash
# Scores of the published pages: exports every sample project of
# tests/compiler/samples, serves each folder on loopback and prints
# Lighthouse (mobile and desktop: performance, accessibility, best practices,
# SEO) and the number of axe-core violations. Mobile performance is noisy on a
# busy machine; the other scores are stable.
#
#   bench/page_checks.sh QUILLMERE_COMPILE [PROJECT...]
#
# Lighthouse 12.2.3, axe-core and its command line are installed once into
# ${XDG_CACHE_HOME:-~/.cache}/quillmere/page-bench; they use Debian's chromium
# and chromium-driver.
set -euo pipefail

tool=${1:?usage: bench/page_checks.sh QUILLMERE_COMPILE [PROJECT...]}
shift
root=$(cd "$(dirname "$0")/.." && pwd)
cache=${XDG_CACHE_HOME:-$HOME/.cache}/quillmere/page-bench
if [[ ! -x $cache/node_modules/.bin/lighthouse || ! -x $cache/node_modules/.bin/axe ]]; then
    mkdir -p "$cache"
    (cd "$cache" && CHROMEDRIVER_SKIP_DOWNLOAD=true npm install --no-audit --no-fund --save-exact \
        lighthouse@12.2.3 @axe-core/cli axe-core >/dev/null)
fi
projects=("$@")
[[ ${#projects[@]} -gt 0 ]] || projects=("$root"/tests/compiler/samples/*.prj)

out=$(mktemp -d)
server=
cleanup() {
    [[ -n $server ]] && kill "$server" 2>/dev/null || true
    rm -rf "$out"
}
trap cleanup EXIT

free_port() {
    python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}
score() { # FILE CATEGORY
    node -e 'const r=require(process.argv[1]); const c=r.categories[process.argv[2]];
             console.log(c && c.score !== null ? Math.round(c.score * 100) : "n/a")' "$1" "$2"
}

printf '%-22s %-8s %5s %5s %5s %5s %5s\n' page form perf a11y bp seo axe
for project in "${projects[@]}"; do
    name=$(basename "$project" .prj)
    "$tool" --export "$out/$name" "$project"
    port=$(free_port)
    python3 -m http.server "$port" --bind 127.0.0.1 --directory "$out/$name" >/dev/null 2>&1 &
    server=$!
    for _ in $(seq 50); do
        curl -sf "http://127.0.0.1:$port/" >/dev/null && break
        sleep 0.1
    done
    url="http://127.0.0.1:$port/"
    axe_count=$(cd "$cache" && npx axe "$url" --chromedriver-path /usr/bin/chromedriver \
        --chrome-options="headless=new,no-sandbox" --dir "$out" --save "$name-axe.json" >/dev/null 2>&1;
        node -e 'const r=require(process.argv[1]); console.log(r[0].violations.length)' \
            "$out/$name-axe.json")
    for form in mobile desktop; do
        preset=()
        [[ $form == desktop ]] && preset=(--preset=desktop)
        (cd "$cache" && CHROME_PATH=/usr/bin/chromium npx lighthouse "$url" --quiet \
            --output=json --output-path="$out/$name-$form.json" "${preset[@]}" \
            --chrome-flags="--headless=new --no-sandbox" >/dev/null 2>&1)
        f=$out/$name-$form.json
        printf '%-22s %-8s %5s %5s %5s %5s %5s\n' "$name" "$form" "$(score "$f" performance)" \
            "$(score "$f" accessibility)" "$(score "$f" best-practices)" "$(score "$f" seo)" \
            "$axe_count"
        if [[ -n ${PAGE_CHECKS_KEEP:-} ]]; then
            mkdir -p "$PAGE_CHECKS_KEEP"
            cp "$f" "$out/$name-axe.json" "$PAGE_CHECKS_KEEP/"
        fi
    done
    kill "$server"
    wait "$server" 2>/dev/null || true
    server=
done
