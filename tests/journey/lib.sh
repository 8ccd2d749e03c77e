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

# --- reporting ---
step() {
    step=$((step + 1))
    step_name=$*
    echo "step $step: $*"
}

fail() {
    echo "FAIL at step $step ($step_name): $*" >&2
    mkdir -p "$artifacts"
    shot=$artifacts/${test_name:-journey}-step$step.png
    if import -window root "$shot" 2>/dev/null; then
        echo "screenshot: $shot" >&2
    fi
    echo "windows on screen:" >&2
    for w in $(xdotool search --onlyvisible --name '.' 2>/dev/null); do
        echo "  $(xdotool getwindowname "$w" 2>/dev/null) ($(xdotool getwindowgeometry "$w" |
            sed -n 's/.*Geometry: //p'))" >&2
    done
    if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then
        echo "the program is still running" >&2
    elif [ -n "$pid" ]; then
        ended=0
        wait "$pid" || ended=$?
        pid=
        echo "the program has ended with status $ended" >&2
    fi
    echo "program output (last lines):" >&2
    tail -n 20 "$log" >&2 2>/dev/null || true
    exit 1
}

# --- waiting, always with a deadline (tenths of a second) ---
# Waits for a visible window whose title matches $1; prints its id.
wait_window() {
    i=0
    while [ $i -lt "${2:-600}" ]; do
        id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1 || true)
        if [ -n "$id" ]; then
            echo "$id"
            return 0
        fi
        kill -0 "$pid" 2>/dev/null || return 1
        sleep 0.1
        i=$((i + 1))
    done
    return 1
}

# Waits until no visible window's title matches $1.
wait_gone() {
    i=0
    while xdotool search --onlyvisible --name "$1" >/dev/null 2>&1; do
        [ $i -lt 300 ] || return 1
        sleep 0.1
        i=$((i + 1))
    done
}

# Waits until the file $1 exists and, when given, holds the line $2 (CR ignored).
wait_file() {
    i=0
    while :; do
        if [ -f "$1" ] && { [ $# -lt 2 ] || tr -d '\r' <"$1" | grep -qxF -- "$2"; }; then
            return 0
        fi
        [ $i -lt 300 ] || return 1
        sleep 0.1
        i=$((i + 1))
    done
}

# Waits for the program to end; its exit status is left in $status.
wait_end() {
    i=0
    while kill -0 "$pid" 2>/dev/null; do
        [ $i -lt 600 ] || return 1
        sleep 0.1
        i=$((i + 1))
    done
    status=0
    wait "$pid" || status=$?
    pid=
}

# --- input ---
# Clicks at x, y of window $1.
click() {
    xdotool mousemove --window "$1" "$2" "$3"
    sleep 0.15
    xdotool click 1
    sleep 0.25
}

# Gives window $1 the keyboard.
focus() {
    xdotool windowfocus --sync "$1" 2>/dev/null || xdotool windowfocus "$1"
    sleep 0.2
}

# Clicks into the field at x, y of window $1 and replaces its text with $4.
fill() {
    click "$1" "$2" "$3"
    xdotool key ctrl+a
    xdotool type --delay 15 -- "$4"
    sleep 0.2
}

# Checks that file $1 holds the line $2 (CR ignored).
has_line() {
    tr -d '\r' <"$1" | grep -qxF -- "$2" || fail "$(basename "$1") lacks the line \"$2\""
}
