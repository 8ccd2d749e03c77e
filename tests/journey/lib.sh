# Shared by the real-window tests: runs the calling script under its own
# virtual display, gives the program a program folder, home and temporary
# folders of its own, and offers the steps, waits and input that the tests
# are written in. Sourced with the script's own arguments:
#
#   <program> <brand file> <plugin folder> [artifact folder]
#
# After it: $bin is the program folder ($bin/quillmere the program), $work the
# scratch folder, $log the program's output, $opened what the program asked
# the desktop to open; start the program with `"$bin/quillmere" >"$log" 2>&1 &
# pid=$!`.

if [ -z "${QM_JOURNEY_INNER:-}" ]; then
    # xvfb-run -a can pick the display number another xvfb-run is just taking;
    # start from a number of our own and try again when the server did not start.
    # -noreset: the server otherwise resets whenever its last client leaves, and
    # a program started during that reset cannot connect (seen under load when
    # the program is started a second time).
    started=$(mktemp)
    try=0
    while :; do
        rm -f "$started"
        rc=0
        QM_JOURNEY_INNER=1 QM_JOURNEY_STARTED=$started \
            xvfb-run -a -n $((200 + ($$ + try * 37) % 400)) -s "-screen 0 1024x768x24 -noreset" \
            sh "$0" "$@" || rc=$?
        if [ -e "$started" ] || [ $try -ge 4 ]; then
            rm -f "$started"
            exit $rc
        fi
        try=$((try + 1))
        echo "the virtual display did not start; trying again" >&2
        sleep 1
    done
fi
: >"$QM_JOURNEY_STARTED"

for tool in xdotool import; do
    command -v "$tool" >/dev/null || { echo "FAIL: $tool is not installed (tools/packages.txt)" >&2; exit 1; }
done

program=$1
brand=$2
plugins=$3
artifacts=${4:-${TMPDIR:-/tmp}}
work=$(mktemp -d)
pid=
step=0
step_name="start"
cleanup() {
    if [ -n "$pid" ]; then
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT

# --- the program's surroundings ---
bin=$work/bin
mkdir -p "$bin" "$work/home" "$work/tmp" "$work/run" "$work/shell"
chmod 700 "$work/run"
cp "$program" "$bin/quillmere"
cp "$brand" "$bin/Quillmere.dat"
ln -s "$(cd "$plugins" && pwd)" "$work/lib"
opened=$work/opened.txt
: >"$opened"
cat >"$work/shell/xdg-open" <<EOF
#!/bin/sh
echo "\$*" >>"$opened"
EOF
chmod +x "$work/shell/xdg-open"
log=$work/program.log

unset QT_QPA_PLATFORM QT_QPA_PLATFORMTHEME XDG_CURRENT_DESKTOP DESKTOP_SESSION
export HOME="$work/home" TMPDIR="$work/tmp" XDG_RUNTIME_DIR="$work/run"
export PATH="$work/shell:$PATH"
export QTWEBENGINE_DISABLE_SANDBOX=1

# Reporting, waiting and typing: the helpers the package test uses too.
. "$(dirname "$0")/drive.sh"
