# Driving the program's real windows on a virtual display with xdotool, for
# the scripts that test it as a user would (journey_test.sh, package_test.sh).
# Sourced; uses the caller's variables: pid (the program's process, or the
# process that started it), log (its output), artifacts (where a failure's
# screenshot goes) and step/step_name.

# --- reporting ---
step() {
    step=$((step + 1))
    step_name=$*
    echo "step $step: $*"
}

fail() {
    echo "FAIL at step $step ($step_name): $*" >&2
    mkdir -p "$artifacts"
    shot=$artifacts/${shot_prefix:-${test_name:-journey}}-step$step.png
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

# The number of pixels of window $1 in the date chart's green (#1E6B1E).
green_pixels() {
    import -window "$1" -depth 8 ppm:- 2>/dev/null |
        LC_ALL=C grep -aoF "$(printf '\036k\036')" | wc -l
}

# Checks that file $1 holds the line $2 (CR ignored).
has_line() {
    tr -d '\r' <"$1" | grep -qxF -- "$2" || fail "$(basename "$1") lacks the line \"$2\""
}

# Checks that file $1 holds the text $2.
has_text() {
    grep -qF -- "$2" "$1" || fail "$(basename "$1") lacks \"$2\""
}

