# Helpers for driving a program's windows on a virtual X display with xdotool
# (sourced by the Wine tests). Window titles are matched as extended regular
# expressions; Windows adds " - <application>" to every title but the main one.

# Fails the test, with a screenshot of the display as $shots/failure.png.
fail() {
    echo "FAIL: $*" >&2
    if [[ -n ${shots:-} && -n ${DISPLAY:-} ]]; then
        mkdir -p "$shots"
        import -window root "$shots/failure.png" 2>/dev/null &&
            echo "screenshot $shots/failure.png" >&2
    fi
    exit 1
}

# Waits up to 30 s (Wine's first start is slow) for a visible window whose
# title matches $1, and prints its id.
wait_window() {
    local id i
    for ((i = 0; i < 300; i++)); do
        id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1 || true)
        if [[ -n $id ]]; then
            echo "$id"
            return 0
        fi
        sleep 0.1
    done
    return 1
}

# Waits up to 10 s for the window titled $1 to go.
gone() {
    local i
    for ((i = 0; i < 100; i++)); do
        xdotool search --onlyvisible --name "$1" >/dev/null 2>&1 || return 0
        sleep 0.1
    done
    return 1
}

# A screenshot of the whole display as $shots/$1.png.
shot() {
    mkdir -p "$shots"
    sleep 0.5
    import -window root "$shots/$1.png"
    echo "screenshot $shots/$1.png"
}

# A click at the point ($2, $3) of window $1.
click() {
    xdotool mousemove --window "$1" "$2" "$3"
    sleep 0.2
    xdotool click 1
    sleep 0.3
}

# Types $2 into window $1 (ASCII only: other characters go through keymap
# tricks Wine does not follow).
type_text() {
    xdotool windowfocus "$1" 2>/dev/null || true
    xdotool type --delay 15 "$2"
    sleep 0.2
}

# Presses the keys $2... in window $1.
keys() {
    local window=$1
    shift
    xdotool windowfocus "$window" 2>/dev/null || true
    xdotool key "$@"
    sleep 0.3
}

# The Windows form of a Linux path under Wine's Z: drive.
winpath() {
    local p=${1//\//\\}
    echo "Z:$p"
}

# Waits up to $2 seconds (10 by default) for process $1 to end; fails if not.
wait_exit() {
    local i
    for ((i = 0; i < ${2:-10} * 10; i++)); do
        kill -0 "$1" 2>/dev/null || {
            wait "$1" 2>/dev/null || true
            return 0
        }
        sleep 0.1
    done
    fail "process $1 did not end within ${2:-10} s"
}

# Waits (at most 60 s) until every Windows process of the prefix has ended.
wine_idle() {
    timeout 60 wineserver -w || fail "Wine processes still running after 60 s"
}
