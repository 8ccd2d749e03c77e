#!/usr/bin/env bash
# Builds the Windows installer with makensis (Debian: nsis) and tries it under
# Wine as a user would, in a Wine prefix made for the test: a silent install
# for all users with the tools, then one for the current user alone. Each
# time the installed program starts and shows its main menu, keeps its data
# in %APPDATA%\Quillmere (never beside itself), is listed in Apps & Features
# with a Start menu entry, and the silent uninstaller removes what was
# installed and leaves the user's data as it was. Run it under xvfb-run.
#
#   tests/windows/installer-test.sh BIN BRAND OUTDIR SHOTS
#
# BIN holds quillmere.exe and the three tools; BRAND is the brand file to
# ship; the installer lands in OUTDIR as quillmere-<version>-setup.exe.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/x11.sh"
bin=$(cd "$1" && pwd) brand=$(realpath "$2") out=$(mkdir -p "$3" && cd "$3" && pwd) shots=$4
version=$(sed -n 's/^project(Quillmere VERSION \([0-9.]*\).*/\1/p' "$here/../../CMakeLists.txt")
setup=$out/quillmere-$version-setup.exe

makensis -V2 -DVERSION="$version" -DBIN="$bin" -DBRAND="$brand" -DOUTDIR="$out" \
    "$here/../../packaging/windows/quillmere.nsi"
[[ -f $setup ]] || fail "makensis made no $setup"
echo "installer: $(basename "$setup"), $(du -h "$setup" | cut -f1)"

export WINEPREFIX=$out/wine-installer WINEDEBUG=-all
unset QT_QPA_PLATFORM
rm -rf "$WINEPREFIX"
wineboot -i >/dev/null 2>&1
pid=
cleanup() {
    [[ -n $pid ]] && kill "$pid" 2>/dev/null || true
    wineserver -k 2>/dev/null || true
}
trap cleanup EXIT

c=$WINEPREFIX/drive_c
user=$(wine cmd /c echo %USERNAME% 2>/dev/null | tr -d '\r')
appdata=$c/users/$user/AppData/Roaming/Quillmere
uninstall_key='Software\Microsoft\Windows\CurrentVersion\Uninstall\Quillmere'

# reg query's answer for value $2 of key $1, empty when there is none.
reg_value() {
    wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | sed -n "s/^ *$2 *REG_[A-Z_]* *//p"
}

# Starts the installed program, waits for its main menu, opens the wizard
# (which keeps its recovery copies in the data folder), closes it and ends the
# program with Escape.
start_installed() {
    local folder=$1 name=$2
    [[ -f $folder/quillmere.exe && -f $folder/Quillmere.dat ]] ||
        fail "quillmere.exe and its brand file are not in $folder"
    (cd "$folder" && exec wine quillmere.exe) &
    pid=$!
    local menu wizard
    menu=$(wait_window '^Quillmere$') || fail "the installed program showed no main menu"
    sleep 1
    shot "$name"
    click "$menu" 367 312 # Create Salesletters
    wizard=$(wait_window '^Create Salesletters') || fail "the installed program's wizard did not open"
    sleep 1
    click "$wizard" 699 547 # Exit
    gone '^Create Salesletters' || fail "the wizard did not close on Exit"
    keys "$menu" Escape
    wait_exit "$pid"
    pid=
}

# Installs with the options given, checks, starts, uninstalls, checks again.
try_install() {
    local mode=$1 folder=$2 hive=$3 menu_folder=$4
    shift 4
    echo "--- install $mode $*"
    wine "$setup" /S "/$mode" "$@"
    wine_idle
    for f in quillmere.exe Quillmere.dat uninstall.exe; do
        [[ -f $folder/$f ]] || fail "$mode: $folder/$f was not installed"
    done
    for f in quillmere-compile.exe quillmere-brand.exe quillmere-status.exe; do
        if [[ " $* " == *" /TOOLS "* ]]; then
            [[ -f $folder/$f ]] || fail "$mode /TOOLS: $f was not installed"
        else
            [[ ! -e $folder/$f ]] || fail "$mode: $f was installed though not asked for"
        fi
    done
    [[ -f $menu_folder/Quillmere.lnk ]] || fail "$mode: no Start menu entry in $menu_folder"
    [[ $(reg_value "$hive\\$uninstall_key" DisplayName) == Quillmere ]] ||
        fail "$mode: Quillmere is not listed in Apps & Features ($hive)"
    [[ $(reg_value "$hive\\$uninstall_key" DisplayVersion) == "$version" ]] ||
        fail "$mode: Apps & Features shows another version"

    # The user's data: a project the uninstaller must leave alone.
    mkdir -p "$appdata/Groups/Books/Alpha"
    printf 'T1=kept\r\n' >"$appdata/Groups/Books/Alpha/kept.prj"
    start_installed "$folder" "installed-$mode"
    [[ -d $appdata/Recovery ]] || fail "$mode: the program kept no data in $appdata"
    [[ ! -e $folder/Recovery && ! -e $folder/Groups.ini ]] ||
        fail "$mode: the installed program keeps data beside itself in $folder"
    ls "$folder"

    local quiet
    quiet=$(reg_value "$hive\\$uninstall_key" QuietUninstallString)
    [[ -n $quiet ]] || fail "$mode: no QuietUninstallString"
    echo "uninstall: $quiet"
    eval "wine $(echo "$quiet" | sed 's/\\/\\\\/g')"
    wine_idle
    [[ ! -e $folder ]] || fail "$mode: the uninstaller left $folder: $(ls "$folder")"
    [[ ! -e $menu_folder/Quillmere.lnk ]] || fail "$mode: the Start menu entry stayed"
    [[ -z $(reg_value "$hive\\$uninstall_key" DisplayName) ]] ||
        fail "$mode: still listed in Apps & Features"
    [[ $(cat "$appdata/Groups/Books/Alpha/kept.prj") == $'T1=kept\r' ]] ||
        fail "$mode: the uninstaller touched the user's data in $appdata"
    echo "$mode: installed, started, uninstalled; the user's data kept"
}

start_menu_all=$c/ProgramData/Microsoft/Windows/Start\ Menu/Programs
start_menu_user=$c/users/$user/AppData/Roaming/Microsoft/Windows/Start\ Menu/Programs
try_install AllUsers "$c/Program Files/Quillmere" HKLM "$start_menu_all" /TOOLS
[[ -n $(ls "$appdata") ]] || fail "the data folder went with the program"
try_install CurrentUser "$c/users/$user/AppData/Local/Programs/Quillmere" HKCU "$start_menu_user"
echo "installer test: passed"
