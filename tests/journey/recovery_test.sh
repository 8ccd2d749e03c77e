#!/bin/sh
# Nothing typed is lost: on a virtual display, type into several pages of the
# sales-letter wizard, kill the program (SIGKILL), start it again, open the
# wizard, answer Yes to the restore question, and find every field as typed
# (saved to a project file and compared line by line). The restore question
# is kept as a screenshot in the artifact folder.
#
#   recovery_test.sh <program> <brand file> <plugin folder> [artifact folder]
#
# Runs itself under xvfb-run when no display is given. Click positions are
# those of the journey test (same windows, same fonts).
set -eu

test_name=recovery
. "$(dirname "$0")/lib.sh"

# The recovery copy in the program folder (a portable copy keeps its data there).
copy() {
    ls "$bin"/Recovery/*.prj 2>/dev/null | head -n 1
}

# ====================================================================
step "the program starts and the wizard opens"
"$bin/quillmere" >"$log" 2>&1 &
pid=$!
menu=$(wait_window '^Quillmere$') || fail "no main menu"
click "$menu" 367 313 # btnCreateSalesletters
wizard=$(wait_window '^Create Salesletters - Untitled$') || fail "no wizard window"

step "type into several pages"
next() {
    n=$1
    while [ "$n" -gt 0 ]; do
        click "$wizard" 128 548 # "Next"
        n=$((n - 1))
    done
}
next 2 # "Meta-Tags"
fill "$wizard" 517 269 "Crash Tester"              # FN
next 1 # "Page Settings"
fill "$wizard" 489 246 "Kept Title 0815"           # PT
next 1 # "Headline"
fill "$wizard" 373 272 "Do Not Lose This"          # NH
click "$wizard" 366 352                            # Headline, a memo
xdotool type --delay 15 "Line one of the headline"
xdotool key Return
xdotool type --delay 15 "Line two"
next 10 # "Legal Forms"
fill "$wizard" 449 246 "Ada"                       # N
fill "$wizard" 449 274 "Lovelace"                  # LN
next 3 # "Affiliate Program"
fill "$wizard" 190 313 "rec-aff-99"                # AffiliateID

step "the recovery copy follows a few seconds after the typing"
i=0
until [ -n "$(copy)" ] && tr -d '\r' <"$(copy)" | grep -qxF "AffiliateID=rec-aff-99"; do
    [ $i -lt 300 ] || fail "no recovery copy holding the affiliate ID in $bin/Recovery"
    sleep 0.1
    i=$((i + 1))
done

step "the program is killed"
kill -KILL "$pid"
wait "$pid" 2>/dev/null || true
pid=
[ -n "$(copy)" ] || fail "the recovery copy went with the program"

step "a second start: the wizard asks to restore"
"$bin/quillmere" >>"$log" 2>&1 &
pid=$!
menu=$(wait_window '^Quillmere$') || fail "no main menu on the second start"
click "$menu" 367 313 # btnCreateSalesletters
question=$(wait_window '^Restore Sales Letter$') || fail "no restore question"
sleep 0.3
mkdir -p "$artifacts"
import -window root "$artifacts/recovery-question.png" 2>/dev/null || true
focus "$question"
xdotool key Return # Yes is the default answer
wait_gone '^Restore Sales Letter$' || fail "the question stayed open"
wizard=$(wait_window '^Create Salesletters - Untitled \(recovered\)$') ||
    fail "the caption does not say the letter was recovered"

step "save the restored letter to a project file"
prj=$work/restored.prj
fill "$wizard" 352 386 "$prj" # PName on Welcome
click "$wizard" 108 415       # "Save Current Salesletter Project"
wait_file "$prj" "AffiliateID=rec-aff-99" || fail "no restored.prj with the typed affiliate ID"
wizard=$(wait_window '^Create Salesletters - restored\.prj$') ||
    fail "the caption does not name the saved file"

step "every field is as typed, and the copy is gone once saved"
has_line "$prj" "CB1=1"
has_line "$prj" "FN=Crash Tester"
has_line "$prj" "WL=English"
has_line "$prj" "PT=Kept Title 0815"
has_line "$prj" "NH=Do Not Lose This"
has_line "$prj" "Headline=Line one of the headline~~Line two"
has_line "$prj" "N=Ada"
has_line "$prj" "LN=Lovelace"
has_line "$prj" "AffiliateID=rec-aff-99"
[ -z "$(copy)" ] || fail "the recovery copy is still there after the save"

step "Exit leads back to the main menu (all is saved, no question), Escape ends the program"
click "$wizard" 698 548 # "Exit"
wait_gone '^Create Salesletters' || fail "the wizard stayed open"
menu=$(wait_window '^Quillmere$') || fail "the main menu did not come back"
focus "$menu"
xdotool key Escape
wait_end || fail "the program did not end on Escape"
[ "$status" -eq 0 ] || fail "the program ended with status $status"
echo "recovery complete: typed on five pages, killed, restored on the next start, saved as typed"
