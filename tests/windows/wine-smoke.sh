#!/usr/bin/env bash
# Starts quillmere.exe under Wine on the current X display (run it under
# xvfb-run) and uses it as a user would: the main menu comes up at 752 x 552;
# Legal Information opens with the date chart as plain text; Manage Projects
# opens; the wizard loads a project, saves it under a new name and Finish
# compiles it through the Windows save dialog into a page that must be, byte
# for byte, the page the Linux compiler makes of the saved project. The page
# is handed to the user's browser (Wine's winebrowser, pointed at a recorder).
# Screenshots of each step go to SHOTS.
#
#   tests/windows/wine-smoke.sh BIN LINUX_COMPILER SHOTS
#
# BIN holds quillmere.exe and its brand file Quillmere.dat; LINUX_COMPILER is
# the Linux build's quillmere-compile. WINEPREFIX must name a prefix of the
# build's own.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/x11.sh"
bin=$1 compiler=$2 shots=$3
[[ -n ${WINEPREFIX:-} ]] || fail "WINEPREFIX is not set"
export WINEDEBUG=-all
unset QT_QPA_PLATFORM

work=$(mktemp -d)
pid=
cleanup() {
    [[ -n $pid ]] && kill "$pid" 2>/dev/null || true
    wineserver -k 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# The copy runs from a folder of its own (a portable copy: its data beside it).
mkdir -p "$work/copy" "$work/project" "$work/page" "$work/linux"
cp "$bin/quillmere.exe" "$bin/Quillmere.dat" "$work/copy/"
# Pages go to a recorder instead of a browser.
cat >"$work/browser" <<RECORDER
#!/bin/sh
printf '%s\n' "\$*" >>"$work/browser-calls"
RECORDER
chmod +x "$work/browser"
wine reg add 'HKCU\Software\Wine\WineBrowser' /v Browsers /d "$work/browser" /f >/dev/null 2>&1

# A full project with text beyond ASCII (UTF-8 in the file) and its pictures.
samples=$here/../compiler/samples
cp "$samples/header.png" "$samples/ecover.jpg" "$work/project/"
sed 's/^T3=.*/T3=Caf\xc3\xa9 \xe2\x82\xac \xe2\x80\x94 na\xc3\xafve/' "$samples/layout1-full.prj" \
    >"$work/project/source.prj"

launched=$(date +%s%N)
(cd "$work/copy" && exec wine quillmere.exe) &
pid=$!
menu=$(wait_window '^Quillmere$') || fail "no main window titled Quillmere under Wine"
echo "main menu up $((($(date +%s%N) - launched) / 1000000)) ms after the start"
geometry=$(xdotool getwindowgeometry "$menu" | sed -n 's/.*Geometry: //p')
[[ $geometry == 752x552 ]] || fail "main window is $geometry, not 752x552"
shot main-menu

click "$menu" 111 324 # Legal Information
legal=$(wait_window '^Legal Information( - Quillmere)?$') || fail "Legal Information did not open"
shot legal-information
keys "$legal" Escape
gone '^Legal Information' || fail "Legal Information did not close on Escape"

click "$menu" 300 151 # Manage Projects
projects=$(wait_window '^Manage Projects') || fail "Manage Projects did not open"
shot manage-projects
keys "$projects" Escape
gone '^Manage Projects' || fail "Manage Projects did not close on Escape"

click "$menu" 367 312 # Create Salesletters
wizard=$(wait_window '^Create Salesletters') || fail "the wizard did not open"
sleep 2 # its pages are laid out after it shows
click "$wizard" 229 319 # Open an existing salesletter project
click "$wizard" 352 355 # the project's name
type_text "$wizard" "$(winpath "$work/project/source.prj")"
click "$wizard" 111 385 # Load Selected Salesletter Project
wait_window '^Create Salesletters - .*source' >/dev/null || fail "the wizard did not load source.prj"
click "$wizard" 23 319 # Create a new salesletter project
click "$wizard" 352 355
keys "$wizard" ctrl+a
type_text "$wizard" "$(winpath "$work/project/saved.prj")"
click "$wizard" 111 385 # Save Current Salesletter Project
for ((i = 0; i < 50; i++)); do
    [[ -s $work/project/saved.prj ]] && break
    sleep 0.1
done
[[ -s $work/project/saved.prj ]] || fail "Save Current Salesletter Project wrote no saved.prj"
shot wizard-welcome

click "$wizard" 239 199 # the Affiliate Program page
click "$wizard" 61 365  # Finish
dialog=$(wait_window '^Compile Sales Letter') || fail "Finish opened no save dialog"
shot finish-dialog
type_text "$dialog" "$(winpath "$work/page/index.html")"
keys "$dialog" Return
# What a buyer would notice, asked before anything is written: Yes writes.
if question=$(wait_window '^Finish Sales Letter'); then
    shot finish-question
    keys "$question" Return
fi
for ((i = 0; i < 100; i++)); do
    [[ -s $work/browser-calls ]] && break
    sleep 0.1
done
[[ -f $work/page/index.html ]] || fail "Finish wrote no page"
grep -q 'index.html' "$work/browser-calls" 2>/dev/null ||
    fail "Finish did not hand the page to the browser"
shot wizard-finished

# The page is the Linux compiler's, byte for byte, pictures included.
"$compiler" --export "$work/linux" "$work/project/saved.prj" >/dev/null
cmp "$work/linux/index.html" "$work/page/index.html" ||
    fail "the page made under Wine differs from the Linux compiler's"
diff -r "$work/linux/images" "$work/page/images" || fail "the pictures differ"
"$compiler" "$work/project/source.prj" "$work/linux/source.html" >/dev/null
"$compiler" "$work/project/saved.prj" "$work/linux/saved.html" >/dev/null
cmp "$work/linux/source.html" "$work/linux/saved.html" ||
    fail "saving under Wine changed the project"
grep -q 'Café € — naïve' "$work/page/index.html" || fail "the page lost the UTF-8 headline"
echo "page: $(wc -c <"$work/page/index.html") bytes, the same as the Linux compiler's"

click "$wizard" 699 547 # Exit
gone '^Create Salesletters' || fail "the wizard did not close on Exit"
keys "$menu" Escape
wait_exit "$pid" # quillmere.exe ends on Escape
pid=
echo "wine smoke: passed"
