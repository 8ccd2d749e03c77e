#!/bin/sh
# The Debian package, installed for real and used by an ordinary user:
#
#   build the package (tools/package.sh); its desktop entry and AppStream
#   metadata validate; apt-get installs it; then, as the user "nobody" with a
#   home of its own, on a virtual display: the installed program starts with a
#   brand file in the user's data folder, creates a group and a project, saves
#   a sales-letter project, Finishes a page into the user's folder, opens
#   Legal Information with the web engine loaded and the chart drawn, and
#   quillmere-compile runs from PATH; every file lands in the user's data
#   folder, none beside the program. Then apt-get remove leaves nothing of the
#   package under /usr, and the user's data is untouched.
#
#   package_test.sh [artifact folder]
#
# Needs root (it installs and removes the package). Keeps a screenshot of the
# installed program's main menu and of Legal Information in the artifact folder.
set -eu

here=$(cd "$(dirname "$0")" && pwd)
source_dir=$(cd "$here/../.." && pwd)
artifacts=${1:-$source_dir/build/package-test}
shot_prefix=package
mkdir -p "$artifacts"
artifacts=$(cd "$artifacts" && pwd)

[ "$(id -u)" -eq 0 ] || { echo "package_test: needs root (installs the package)" >&2; exit 1; }
for tool in Xvfb xdotool import runuser apt-get dpkg-deb desktop-file-validate appstreamcli; do
    command -v "$tool" >/dev/null ||
        { echo "FAIL: $tool is not installed (tools/packages.txt)" >&2; exit 1; }
done

pid=
xvfb=
step=0
step_name="start"
work=$(mktemp -d /tmp/qm-package.XXXXXX)
chmod 755 "$work"
log=$work/program.log
cleanup() {
    if [ -n "$pid" ]; then
        [ -z "${program_pid:-}" ] || kill "$program_pid" 2>/dev/null || true
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    fi
    if [ -n "$xvfb" ]; then
        kill "$xvfb" 2>/dev/null || true
        wait "$xvfb" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT

. "$source_dir/tests/journey/drive.sh"

# ====================================================================
step "the package builds"
"$source_dir/tools/package.sh" >"$work/package.log" 2>&1 || { tail -n 30 "$work/package.log"; fail "tools/package.sh failed"; }
deb=$(ls "$source_dir"/build/quillmere_*_amd64.deb)
echo "  $deb ($(du -h "$deb" | cut -f1))"
dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./|/|' | grep -v '/$' >"$work/files.txt"
for f in /usr/bin/quillmere /usr/bin/quillmere-compile /usr/bin/quillmere-brand \
    /usr/lib/quillmere/libqm_webengine.so /usr/share/applications/com.quillmere.Quillmere.desktop \
    /usr/share/metainfo/com.quillmere.Quillmere.metainfo.xml \
    /usr/share/icons/hicolor/48x48/apps/quillmere.png /usr/share/icons/hicolor/128x128/apps/quillmere.png \
    /usr/share/icons/hicolor/256x256/apps/quillmere.png /usr/share/man/man1/quillmere-compile.1.gz \
    /usr/share/man/man1/quillmere-brand.1.gz /usr/share/doc/quillmere/README.md; do
    grep -qxF "$f" "$work/files.txt" || fail "the package lacks $f"
done
if grep -q 'Quillmere.dat' "$work/files.txt"; then
    fail "the package carries a brand file"
fi
dpkg-deb -f "$deb" Depends | grep -q 'libqt6webenginewidgets6' ||
    fail "the package's dependencies were not taken from the binaries: $(dpkg-deb -f "$deb" Depends)"

step "apt-get installs it"
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$deb" >"$work/apt.log" 2>&1 ||
    { tail -n 20 "$work/apt.log"; fail "apt-get install failed"; }
while read -r f; do
    [ -e "$f" ] || fail "$f was not installed"
done <"$work/files.txt"

step "the desktop entry and the AppStream metadata validate"
desktop-file-validate /usr/share/applications/com.quillmere.Quillmere.desktop ||
    fail "desktop-file-validate"
appstreamcli validate --no-net /usr/share/metainfo/com.quillmere.Quillmere.metainfo.xml ||
    fail "appstreamcli validate"

# --- the ordinary user: nobody, with a home, data and temporary folder of its own ---
home=$work/home
data=$home/.local/share/Quillmere
mkdir -p "$home/tmp" "$home/run" "$home/shell"
chmod 700 "$home/run"
opened=$home/opened.txt
: >"$opened"
cat >"$home/shell/xdg-open" <<EOF
#!/bin/sh
echo "\$*" >>"$opened"
EOF
chmod +x "$home/shell/xdg-open"
chown -R nobody "$home"
as_user() {
    runuser -u nobody -- env -i HOME="$home" TMPDIR="$home/tmp" XDG_RUNTIME_DIR="$home/run" \
        PATH="$home/shell:/usr/bin:/bin" DISPLAY="${DISPLAY:-}" LANG=C.UTF-8 "$@"
}

step "the user makes a brand file in the data folder with quillmere-brand from PATH"
as_user mkdir -p "$data"
as_user quillmere-brand write acme "$data/Quillmere.dat" || fail "quillmere-brand write"
[ "$(as_user quillmere-brand read "$data/Quillmere.dat")" = acme ] || fail "quillmere-brand read"

step "the installed program starts for the user on its main menu"
d=$((300 + $$ % 300))
while [ -e "/tmp/.X11-unix/X$d" ] || [ -e "/tmp/.X$d-lock" ]; do d=$((d + 1)); done
Xvfb ":$d" -screen 0 1024x768x24 -ac -nolisten tcp -noreset >"$work/xvfb.log" 2>&1 &
xvfb=$!
export DISPLAY=":$d"
i=0
until xdotool getdisplaygeometry >/dev/null 2>&1; do
    [ $i -lt 100 ] || fail "the virtual display did not start"
    sleep 0.1
    i=$((i + 1))
done
unset QT_QPA_PLATFORM QTWEBENGINE_DISABLE_SANDBOX QTWEBENGINE_CHROMIUM_FLAGS
as_user quillmere >"$log" 2>&1 &
pid=$!
menu=$(wait_window '^Quillmere$') || fail "no main menu (is the brand file found?)"
program_pid=$(pgrep -n -u nobody -x quillmere || true)
[ -n "$program_pid" ] || fail "no quillmere process of the user nobody"
[ "$(stat -c %U "/proc/$program_pid")" = nobody ] || fail "the program does not run as nobody"
sleep 1
import -window root "$artifacts/package-main-menu.png" || true

step "Manage Projects: the group Ebooks and its project Alice, in the user's data folder"
click "$menu" 370 192 # btnManageProjects
projects=$(wait_window '^Manage Projects') || fail "no Manage Projects window"
click "$projects" 667 73 # "Create Project Group"
box=$(wait_window '^Create New Group') || fail "no input box"
focus "$box"
xdotool type --delay 15 Ebooks
xdotool key Return
wait_gone '^Create New Group' || fail "the input box stayed open"
wait_file "$data/Groups.ini" "[Ebooks]" || fail "the user's Groups.ini has no group Ebooks"
[ -d "$data/Groups/Ebooks" ] || fail "no group folder in the user's data folder"
click "$projects" 167 71 # the first group of the list
click "$projects" 667 234 # "Add Project"
box=$(wait_window '^Add Project') || fail "no input box (was the group selected?)"
focus "$box"
xdotool type --delay 15 Alice
xdotool key Return
wait_gone '^Add Project' || fail "the input box stayed open"
wait_file "$data/Groups.ini" "Project0=Alice" || fail "the user's Groups.ini has no project Alice"
[ -d "$data/Groups/Ebooks/Alice" ] || fail "no project folder in the user's data folder"
click "$projects" 364 21 # tab "Main Menu"
menu=$(wait_window '^Quillmere$') || fail "the main menu did not come back"

step "Create Salesletters: the project is saved into the user's project folder"
click "$menu" 367 313 # btnCreateSalesletters
wizard=$(wait_window '^Create Salesletters - Untitled') || fail "no wizard window"
click "$wizard" 372 278 # ProjectGroups
xdotool key Down Return
sleep 0.3
click "$wizard" 372 319 # Projects
xdotool key Down Return
sleep 0.3
click "$wizard" 128 548 # "Next": "Select Template"
click "$wizard" 128 548 # "Next": "Meta-Tags"
click "$wizard" 128 548 # "Next": "Page Settings"
fill "$wizard" 489 246 "Installed Title 0815" # PT
click "$wizard" 43 169 # tab "Welcome"
fill "$wizard" 352 386 "launch.prj" # PName
click "$wizard" 108 415 # "Save Current Salesletter Project"
prj=$data/Groups/Ebooks/Alice/launch.prj
wait_file "$prj" "PT=Installed Title 0815" || fail "no launch.prj in the user's project folder"
wizard=$(wait_window '^Create Salesletters - launch\.prj') ||
    fail "the caption does not name the project file"

step "Finish writes the page into the user's project folder"
click "$wizard" 161 211 # tab "Affiliate Program"
click "$wizard" 61 385 # "Finish"
box=$(wait_window '^Compile Sales Letter') || fail "no file dialog"
focus "$box"
xdotool type --delay 15 launch
xdotool key Return
html=$data/Groups/Ebooks/Alice/launch.html
wait_file "$html" || fail "no launch.html in the user's project folder"
grep -qF "Installed Title 0815" "$html" || fail "launch.html lacks the typed title"
i=0
until grep -qF "launch.html" "$opened"; do
    [ $i -lt 300 ] || fail "the page was not handed to the browser"
    sleep 0.1
    i=$((i + 1))
done
click "$wizard" 270 211 # tab "Main Menu": all is saved, so no question
menu=$(wait_window '^Quillmere$') || fail "the main menu did not come back"

step "Legal Information: the web engine is loaded and draws the chart"
click "$menu" 183 376 # btnLegalInformation
legal=$(wait_window '^Legal Information' 100) || fail "no Legal Information window within 10 s"
i=0
until grep -q WebEngineCore "/proc/$program_pid/maps" 2>/dev/null; do
    [ $i -lt 300 ] || fail "the program did not load the web engine"
    sleep 0.1
    i=$((i + 1))
done
i=0
while :; do
    green=$(green_pixels "$legal")
    [ "$green" -lt 200 ] || break
    [ $i -lt 120 ] || fail "the chart's green cells are not on screen ($green pixels)"
    sleep 0.5
    i=$((i + 1))
done
echo "  the web engine is mapped and the chart shows ($green pixels of its green)"
import -window root "$artifacts/package-legal-information.png" || true
click "$legal" 301 18 # tab "Main Menu"
menu=$(wait_window '^Quillmere$') || fail "the main menu did not come back"

step "Exit ends the program; nothing was written beside it"
click "$menu" 686 519 # btnExit
wait_end || fail "the program did not end after a click on Exit"
[ "$status" -eq 0 ] || fail "the program ended with status $status"
for f in /usr/bin/Groups.ini /usr/bin/Groups /usr/bin/Temp.html /usr/bin/Tmp.html; do
    [ ! -e "$f" ] || fail "$f was written beside the installed program"
done

step "quillmere-compile from PATH compiles the saved project"
as_user quillmere-compile "$prj" "$home/compiled.html" || fail "quillmere-compile failed"
cmp -s "$home/compiled.html" "$html" || fail "quillmere-compile's page differs from Finish's"

step "apt-get remove leaves nothing of the package under /usr and the user's data untouched"
(cd "$home" && find .local -type f -exec md5sum {} + | sort) >"$work/data-before.txt"
DEBIAN_FRONTEND=noninteractive apt-get remove -y -qq quillmere >>"$work/apt.log" 2>&1 ||
    fail "apt-get remove failed"
while read -r f; do
    [ ! -e "$f" ] || fail "$f is left after apt-get remove"
done <"$work/files.txt"
[ ! -e /usr/lib/quillmere ] || fail "/usr/lib/quillmere is left after apt-get remove"
left=$(find /usr -name '*quillmere*' -o -name 'com.quillmere.*' 2>/dev/null | head -n 5)
[ -z "$left" ] || fail "left under /usr: $left"
# No conffiles and no maintainer scripts: dpkg forgets the package, no "rc" state.
state=$(dpkg-query -W -f='${db:Status-Abbrev}' quillmere 2>/dev/null || true)
[ -z "$state" ] || fail "dpkg still lists the package after apt-get remove (state \"$state\")"
(cd "$home" && find .local -type f -exec md5sum {} + | sort) >"$work/data-after.txt"
cmp -s "$work/data-before.txt" "$work/data-after.txt" || fail "the user's data changed"
[ -s "$work/data-after.txt" ] || fail "the user's data is gone"
echo "package test complete: built, validated, installed, used by nobody, removed cleanly"
