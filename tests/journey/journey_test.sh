#!/bin/sh
# A new user's first session with the built program, on a virtual display,
# driven with the mouse and the keyboard (xdotool):
#
#   main menu -> Manage Projects: create the group "Ebooks" and its project
#   "Alice" -> "Main Menu" tab -> Create Salesletters: pick the group and the
#   project on "Welcome", walk the pages with "Next" and fill fields on five of
#   them -> back on "Welcome", save the project by name into the project's
#   folder -> "Finish" to a page name -> the .prj and .html files hold what
#   was typed -> "Main Menu" tab (saved: no question) -> Legal Information shows
#   the date chart (its green "Now: ..." cells are on screen) -> "Main Menu"
#   tab -> Exit.
#
# The program runs from a program folder of its own (a copy of the executable
# and the brand file, the web engine plugin reachable as ../lib), with its own
# home and temporary folders and a stand-in for the desktop's "open" command
# that notes what the program asked to open. Every wait polls, with a
# deadline. On failure the step, a screenshot and the program's output are
# reported. The click positions are those of the windows' layouts with the
# tree's fonts (fonts-dejavu-core) at the sizes the windows are fixed to.
#
#   journey_test.sh <program> <brand file> <plugin folder> [artifact folder]
#
# Runs itself under xvfb-run when no display is given.
set -eu

. "$(dirname "$0")/lib.sh"

# ====================================================================
step "the program starts on its main menu"
"$bin/quillmere" >"$log" 2>&1 &
pid=$!
menu=$(wait_window '^Quillmere$') || fail "no main menu"

step "Manage Projects opens"
click "$menu" 370 192 # btnManageProjects
projects=$(wait_window '^Manage Projects') || fail "no Manage Projects window"
wait_gone '^Quillmere$' || fail "the main menu stayed on screen"

step "create the project group Ebooks"
click "$projects" 667 73 # "Create Project Group"
box=$(wait_window '^Create New Group') || fail "no input box"
focus "$box"
xdotool type --delay 15 Ebooks
xdotool key Return
wait_gone '^Create New Group' || fail "the input box stayed open"
wait_file "$bin/Groups.ini" "[Ebooks]" || fail "Groups.ini has no group Ebooks"
[ -d "$bin/Groups/Ebooks" ] || fail "no group folder Groups/Ebooks"

step "add the project Alice to Ebooks"
click "$projects" 167 71 # the first group of the list
click "$projects" 667 234 # "Add Project"
box=$(wait_window '^Add Project') || fail "no input box (was the group selected?)"
focus "$box"
xdotool type --delay 15 Alice
xdotool key Return
wait_gone '^Add Project' || fail "the input box stayed open"
wait_file "$bin/Groups.ini" "Project0=Alice" || fail "Groups.ini has no project Alice"
has_line "$bin/Groups.ini" "ProjectCount=1"
[ -d "$bin/Groups/Ebooks/Alice" ] || fail "no project folder Groups/Ebooks/Alice"

step "the Main Menu tab leads back to the main menu"
click "$projects" 364 21 # tab "Main Menu"
wait_gone '^Manage Projects' || fail "Manage Projects stayed open"
menu=$(wait_window '^Quillmere$') || fail "the main menu did not come back"

step "Create Salesletters opens on Welcome"
click "$menu" 367 313 # btnCreateSalesletters
wizard=$(wait_window '^Create Salesletters - Untitled') || fail "no wizard window"

step "pick the group and the project on Welcome"
click "$wizard" 372 278 # ProjectGroups: its list opens
xdotool key Down Return
sleep 0.3
click "$wizard" 372 319 # Projects
xdotool key Down Return
sleep 0.3

step "fill fields on the pages, walking with Next"
next() {
    n=$1
    while [ "$n" -gt 0 ]; do
        click "$wizard" 128 548 # "Next"
        n=$((n - 1))
    done
}
next 2 # "Meta-Tags"
fill "$wizard" 517 269 "Journey Tester"           # FN
next 1 # "Page Settings"
fill "$wizard" 489 246 "Journey Title 4711"       # PT
next 1 # "Headline"
fill "$wizard" 373 272 "Attention Please"         # NH
click "$wizard" 366 352                           # Headline, a memo
xdotool type --delay 15 "First headline line"
xdotool key Return
xdotool type --delay 15 "Second headline line"
next 5 # "Testimonials"
fill "$wizard" 84 281 "example.com/jo"            # TW1, completed on leaving
xdotool key Tab
next 5 # "Legal Forms"
fill "$wizard" 449 246 "Jo"                       # N
fill "$wizard" 449 274 "Tester"                   # LN
next 3 # "Affiliate Program"
fill "$wizard" 190 313 "jny-aff-42"               # AffiliateID

step "save the project by name on Welcome"
click "$wizard" 43 169 # tab "Welcome"
fill "$wizard" 352 386 "launch.prj" # PName
click "$wizard" 108 415 # "Save Current Salesletter Project"
prj=$bin/Groups/Ebooks/Alice/launch.prj
wait_file "$prj" "AffiliateID=jny-aff-42" ||
    fail "no Groups/Ebooks/Alice/launch.prj with the typed affiliate ID"
wizard=$(wait_window '^Create Salesletters - launch\.prj') ||
    fail "the caption does not name the project file"

step "the project file holds what was typed"
head -n 1 "$prj" | tr -d '\r' | grep -qxF "[Project]" || fail "launch.prj does not start with [Project]"
has_line "$prj" "CB1=1"
has_line "$prj" "FN=Journey Tester"
has_line "$prj" "WL=English"
has_line "$prj" "PT=Journey Title 4711"
has_line "$prj" "NH=Attention Please"
has_line "$prj" "Headline=First headline line~~Second headline line"
has_line "$prj" "TW1=http://example.com/jo"
has_line "$prj" "N=Jo"
has_line "$prj" "LN=Tester"
[ "$(tr -d '\r' <"$prj" | grep -c '=')" -ge 108 ] || fail "launch.prj holds fewer than 108 keys"

step "Finish compiles the page to a name in the project folder"
click "$wizard" 161 211 # tab "Affiliate Program"
click "$wizard" 61 385 # "Finish"
box=$(wait_window '^Compile Sales Letter') || fail "no file dialog"
focus "$box"
xdotool type --delay 15 launch
xdotool key Return
html=$bin/Groups/Ebooks/Alice/launch.html
wait_file "$html" || fail "no Groups/Ebooks/Alice/launch.html"
wait_gone '^Compile Sales Letter' || fail "the file dialog stayed open"
i=0
until grep -qF "Groups/Ebooks/Alice/launch.html" "$opened"; do
    [ $i -lt 300 ] || fail "the page was not handed to the browser"
    sleep 0.1
    i=$((i + 1))
done

step "the page holds what was typed, every placeholder filled"
has_text "$html" "Journey Title 4711"
has_text "$html" "Journey Tester"
has_text "$html" "Attention Please"
has_text "$html" "First headline line"
has_text "$html" "Second headline line"
has_text "$html" "http://example.com/jo"
has_text "$html" "Tester"
has_text "$html" "jny-aff-42"
if grep -q '{@' "$html"; then
    fail "launch.html still holds a placeholder: $(grep -o '{@[^@]*@}' "$html" | head -n 1)"
fi
[ ! -e "$bin/Tmp.html" ] || fail "the scratch file Tmp.html was left in the program folder"

step "the Main Menu tab leads back to the main menu without a question: all is saved"
click "$wizard" 270 211 # tab "Main Menu"
wait_gone '^Create Salesletters' || fail "the wizard stayed open"
menu=$(wait_window '^Quillmere$') || fail "the main menu did not come back"

step "Legal Information shows the date chart"
click "$menu" 183 376 # btnLegalInformation
legal=$(wait_window '^Legal Information') || fail "no Legal Information window"
chart=$(find "$work/tmp" -path '*/LI/chart.html' 2>/dev/null | head -n 1)
[ -n "$chart" ] || fail "no chart file LI/chart.html in the temporary folder"
i=0
while :; do
    green=$(green_pixels "$legal")
    [ "$green" -lt 200 ] || break
    [ $i -lt 120 ] || fail "the chart's green cells are not on screen ($green pixels)"
    sleep 0.5
    i=$((i + 1))
done
echo "  the chart shows ($green pixels of its green)"

step "the Main Menu tab closes Legal Information and removes the chart"
click "$legal" 301 18 # tab "Main Menu"
wait_gone '^Legal Information' || fail "Legal Information stayed open"
menu=$(wait_window '^Quillmere$') || fail "the main menu did not come back"
i=0
while [ -e "$chart" ]; do
    [ $i -lt 100 ] || fail "the chart file is left behind"
    sleep 0.1
    i=$((i + 1))
done

step "Exit ends the program"
click "$menu" 686 519 # btnExit
wait_end || fail "the program did not end after a click on Exit"
[ "$status" -eq 0 ] || fail "the program ended with status $status"
if grep -qiE 'segmentation|aborted|fatal' "$log"; then
    fail "the program reported a crash"
fi

# ====================================================================
# A second start: what the first session saved comes back.
step "a second start opens the wizard with the group and project offered"
"$bin/quillmere" >>"$log" 2>&1 &
pid=$!
menu=$(wait_window '^Quillmere$') || fail "no main menu on the second start"
click "$menu" 367 313 # btnCreateSalesletters
wizard=$(wait_window '^Create Salesletters - Untitled') || fail "no wizard window"
click "$wizard" 372 278 # ProjectGroups
xdotool key Down Return
sleep 0.3
click "$wizard" 372 319 # Projects
xdotool key Down Return
sleep 0.3

step "the saved project loads by name on Welcome"
click "$wizard" 228 346 # "Open an existing salesletter project"
fill "$wizard" 352 386 "launch.prj" # PName
click "$wizard" 108 415 # "Load Selected Salesletter Project"
wizard=$(wait_window '^Create Salesletters - launch\.prj') ||
    fail "the caption does not name the loaded project file"

step "Preview of the loaded project gives the same page as Finish did"
click "$wizard" 618 548 # "Preview"
preview=$bin/Temp.html
wait_file "$preview" || fail "no Temp.html in the program folder"
i=0
until grep -qF "Temp.html" "$opened"; do
    [ $i -lt 300 ] || fail "the preview was not handed to the browser"
    sleep 0.1
    i=$((i + 1))
done
if ! cmp -s "$preview" "$html"; then
    diff "$html" "$preview" | head -n 20 >&2 || true
    fail "the page of the loaded project differs from the page compiled before saving"
fi

step "Exit leads back to the main menu (nothing unsaved, no question), Escape ends the program"
click "$wizard" 698 548 # "Exit"
wait_gone '^Create Salesletters' || fail "the wizard stayed open"
menu=$(wait_window '^Quillmere$') || fail "the main menu did not come back"
focus "$menu"
xdotool key Escape
wait_end || fail "the program did not end on Escape"
[ "$status" -eq 0 ] || fail "the program ended with status $status"
echo "journey complete: group, project, saved project, compiled page, date chart, exit;" \
    "the project loads back in a second run and compiles to the same page"
