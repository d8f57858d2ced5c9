#!/usr/bin/env bash
# Drives the built program as a user would, on a virtual desktop with a system tray.
# Usage: program_e2e.sh PINLET_EXECUTABLE. Exit 77 (skipped) only when no X server can be started.
set -uo pipefail

PINLET=$1
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
source "$ROOT/scripts/desktop.sh"

pinlet_test_run pinlet-e2e
fail() { pinlet_fail "$@"; }
step() { pinlet_step "$@"; }

pinlet_test_desktop "$WORK" || fail "the desktop came up without a system tray"

pinlet_private_user "$WORK"
DB="$HOME/Documents/pinlet.db"

sql() { pinlet_sql "$1"; }

start_pinlet() {
    "$PINLET" >>"$WORK/pinlet.log" 2>&1 &
    PINLET_PID=$!
}

rows_are() {
    [ "$(pinlet_link_rows "$LIST" | wc -l)" -eq "$1" ]
}

# The y of the list's row number N (1 for the first), or fails.
row_y() {
    pinlet_link_rows "$LIST" | sed -n "${1}p" | grep .
}

confirm_shown() {
    xdotool search --onlyvisible --name "^Confirm$" | grep -q .
}

# A menu of the program is open.
menu_shown() {
    pinlet_unmanaged_shown "$TRAY"
}

# A second start of the program: it must end with 0 on its own.
second_start() {
    "$PINLET" >>"$WORK/pinlet.log" 2>&1 &
    local second=$!
    pinlet_wait_until 10000 sh -c "! kill -0 $second" || fail "a second start did not end"
    wait "$second"
    local status=$?
    [ "$status" -eq 0 ] || fail "a second start ended with status $status"
}

# The open menu's last item, "Pinlet bezárása": the program must end with 0.
end_from_menu() {
    xdotool key Up Return
    pinlet_wait_until 10000 sh -c "! kill -0 $PINLET_PID" || fail "the menu's last item did not end the program"
    wait "$PINLET_PID"
    local status=$?
    PINLET_PID=""
    [ "$status" -eq 0 ] || fail "the program ended with status $status"
}

# Opens the list's first note and types a new last line into it, leaving the window open.
type_into_first_note() {
    local first_row
    first_row=$(row_y 1) || fail "no first row"
    pinlet_click_in "$LIST" 30 "$first_row"
    NOTE=$(pinlet_wait_window "$NOTE_SIZE" 5000) || fail "the name opened no note window"
    pinlet_wait_until 3000 pinlet_output_is "Új jegyzet" xdotool getwindowname "$NOTE" || fail "the note did not load"
    pinlet_click_in "$NOTE" 150 150
    xdotool key --clearmodifiers ctrl+End Return
    xdotool type --delay 10 "$1"
}

note_text() {
    sql "SELECT replace(jegyzet, char(13) || char(10), '|') FROM jegyzetek WHERE id = $1"
}

LIST_SIZE=612x285
NOTE_SIZE=374x319

# ---- the run

start_pinlet
pinlet_wait_until 10000 test -s "$DB" || fail "no database was made in the fresh Documents folder"

# The tray icon: a small window of the program in the tray.
TRAY=$(pinlet_wait_window 24x24 10000) || fail "no tray icon appeared"
tray_position=$(pinlet_window_position "$TRAY")
click_tray() {
    xdotool mousemove $((${tray_position%,*} + 12)) $((${tray_position#*,} + 12)) click "$1"
}
LIST=$(pinlet_wait_window "$LIST_SIZE" 10000) || fail "the list window did not show at start"
xprop -id "$LIST" _NET_WM_STATE | grep -q "_NET_WM_STATE_SKIP_TASKBAR" || fail "the list window is on the taskbar"
step "started: the tray icon and the list window show, with no taskbar entry"

# Bottom-right, 4 pixels inside the work area the taskbar leaves.
read -r _ _ area_width area_height < <(xprop -root _NET_WORKAREA | awk -F'[=,]' '{print $2, $3, $4, $5}')
expected="$((area_width - 612 - 4)),$((area_height - 285 - 4))"
[ "$(pinlet_window_position "$LIST")" = "$expected" ] ||
    fail "the list window stands at $(pinlet_window_position "$LIST"), not at $expected"

# Its cross hides it, a click on the tray icon brings it back.
pinlet_click_in "$LIST" 587 20
pinlet_wait_until 3000 pinlet_unmapped "$LIST" || fail "the cross did not hide the list window"
click_tray 1
pinlet_wait_until 3000 pinlet_mapped "$LIST" || fail "a click on the tray icon did not show the list window"
[ "$(pinlet_window_position "$LIST")" = "$expected" ] || fail "the list window came back elsewhere"
step "the tray icon's click shows the list window at the bottom-right"

# The new-note picture: a note window with the new note, and the list goes away.
pinlet_click_in "$LIST" 24 20
NOTE=$(pinlet_wait_window "$NOTE_SIZE" 5000) || fail "the new-note picture opened no note window"
pinlet_wait_until 3000 pinlet_output_is "Új jegyzet" xdotool getwindowname "$NOTE" ||
    fail "the note window is called '$(xdotool getwindowname "$NOTE")'"
[ "$(sql "SELECT nev || '/' || jegyzet FROM jegyzetek")" = "Új jegyzet/Ez egy új jegyzet" ] ||
    fail "the new note is not in the database as made"
pinlet_wait_until 3000 pinlet_unmapped "$LIST" || fail "the list window stayed after the new-note picture"
step "the new-note picture opened the note 'Új jegyzet'"

# A line typed at the end, then the cross: the note is saved and the window goes.
pinlet_click_in "$NOTE" 150 150
xdotool key --clearmodifiers ctrl+End Return
xdotool type --delay 10 "masodik sor"
pinlet_click_in "$NOTE" 349 20
pinlet_wait_until 3000 pinlet_unmapped "$NOTE" || fail "the note window's cross did not close it"
[ "$(note_text 1)" = "Ez egy új jegyzet|masodik sor" ] || fail "the note holds '$(note_text 1)'"
closed_at=$(date +%s%3N)

# The list shows the name within about a second.
click_tray 1
pinlet_wait_until 3000 pinlet_mapped "$LIST" || fail "the list window did not come back"
pinlet_wait_until 2500 rows_are 1 || fail "the list does not show the note"
step "the list shows the note $(($(date +%s%3N) - closed_at)) ms after its window closed"

# A second note, then delete mode: its name goes, its row stays, marked.
pinlet_click_in "$LIST" 24 20
NOTE=$(pinlet_wait_window "$NOTE_SIZE" 5000) || fail "the second note window did not open"
pinlet_wait_until 3000 pinlet_output_is 2 sql "SELECT count(*) FROM jegyzetek" || fail "no second note"
pinlet_click_in "$NOTE" 349 20
pinlet_wait_until 3000 pinlet_unmapped "$NOTE" || fail "the second note window did not close"
click_tray 1
pinlet_wait_until 3000 pinlet_mapped "$LIST" || fail "the list window did not come back"
pinlet_wait_until 2500 rows_are 2 || fail "the list does not show both notes"
pinlet_click_in "$LIST" 88 19
# The header row holds the first note; the second has its own row, which a press offers for deleting.
pinlet_wait_until 2000 rows_are 2 || fail "delete mode changed the rows"
second_row=$(row_y 2) || fail "no second row in delete mode"
pinlet_click_in "$LIST" 30 "$second_row"
pinlet_wait_until 3000 confirm_shown ||
    fail "deleting asked nothing"
xdotool key Return
pinlet_wait_until 3000 pinlet_output_is 1 sql "SELECT torolve FROM jegyzetek WHERE id = 2" ||
    fail "the deleted note is not marked deleted"
pinlet_wait_until 2500 rows_are 1 || fail "the deleted note stays in the list"
[ "$(sql "SELECT count(*) FROM jegyzetek")" = 2 ] || fail "the deleted note's row is gone"
step "delete mode: confirmed, the name left the list, the row is marked deleted"

# The tray menu's "Törölt jegyzetek" (its first item while no note is open) lists the deleted note under a
# header; a press on it brings it back.
click_tray 3
pinlet_wait_until 3000 menu_shown || fail "the tray icon's right click showed no menu"
xdotool key Down Return
pinlet_wait_until 3000 rows_are 2 || fail "the restore list does not show the header and the deleted note"
deleted_row=$(row_y 2) || fail "no deleted note in the restore list"
pinlet_click_in "$LIST" 30 "$deleted_row"
pinlet_wait_until 3000 pinlet_output_is 0 sql "SELECT torolve FROM jegyzetek WHERE id = 2" ||
    fail "the note was not brought back"
# Back in normal mode, the second row opens the restored note.
pinlet_wait_until 2500 rows_are 2 || fail "the restored note is not back in the list"
pinlet_click_in "$LIST" 30 "$(row_y 2)"
NOTE=$(pinlet_wait_window "$NOTE_SIZE" 5000) || fail "the restored note does not open from the list"
pinlet_click_in "$NOTE" 349 20
pinlet_wait_until 3000 pinlet_unmapped "$NOTE" || fail "the restored note's window did not close"
[ "$(sql "SELECT nev || '/' || jegyzet FROM jegyzetek WHERE id = 2")" = "Új jegyzet/Ez egy új jegyzet" ] ||
    fail "the restored note changed"
step "the deleted note came back from the restore list"

# A second start ends with 0 and brings the hidden list up.
pinlet_click_in "$LIST" 587 20
pinlet_wait_until 3000 pinlet_unmapped "$LIST" || fail "the cross did not hide the list window"
second_start
pinlet_wait_until 3000 pinlet_mapped "$LIST" || fail "a second start did not bring up the list window"
kill -0 "$PINLET_PID" 2>/dev/null || fail "the first instance ended when a second one started"
step "a second start ended with 0 and brought the list up"

# Ending from the tray menu with an edited note open keeps what was typed.
type_into_first_note "vege"
click_tray 3
pinlet_wait_until 3000 menu_shown || fail "the tray icon's right click showed no menu"
end_from_menu
[ "$(note_text 1)" = "Ez egy új jegyzet|masodik sor|vege" ] || fail "the edit was lost at the end: '$(note_text 1)'"
[ "$(sqlite3 "$DB" "PRAGMA integrity_check")" = ok ] || fail "the database is damaged"
[ ! -e "$DB-journal" ] || fail "the database was left with a journal"
step "ending from the tray menu kept the edited note"

# ---- a desktop without a notification area: the list window stays reachable by itself

pinlet_desktop_stop
pinlet_desktop_start "$WORK" notray || fail "the desktop without a tray did not come up"
start_pinlet
LIST=$(pinlet_wait_window "$LIST_SIZE" 10000) || fail "without a tray the list window did not show"
[ -z "$(pinlet_windows_sized 24x24)" ] || fail "a tray icon showed where there is no tray"
xprop -id "$LIST" _NET_WM_WINDOW_TYPE _NET_WM_STATE | grep -qE "_NET_WM_WINDOW_TYPE_UTILITY|SKIP_TASKBAR" &&
    fail "without a tray the list window has no taskbar entry"
pinlet_click_in "$LIST" 587 20
pinlet_wait_until 3000 pinlet_unmapped "$LIST" || fail "without a tray the cross did not minimise the list window"
xprop -id "$LIST" _NET_WM_STATE | grep -q "_NET_WM_STATE_HIDDEN" || fail "the list window was not minimised"
second_start
pinlet_wait_until 3000 pinlet_mapped "$LIST" || fail "without a tray a second start did not bring the list back"
step "without a tray: a taskbar window that minimises, and a second start brings it back"
position=$(pinlet_window_position "$LIST")
xdotool mousemove $((${position%,*} + 300)) $((${position#*,} + 20)) click 3
pinlet_wait_until 3000 menu_shown || fail "without a tray the top bar's right click showed no menu"
xdotool key Escape
step "without a tray: the top bar's right click offers the menu"

# The session ends (a termination signal, as at logoff) with an edited note open: the edit is kept.
type_into_first_note "kilepes"
# The signal must not overtake keys still queued for the program: a mark typed after them into the name
# shows in the caption once they are all handled.
xdotool key --clearmodifiers Tab End
xdotool type --delay 10 "!"
pinlet_wait_until 5000 pinlet_output_is "Új jegyzet!" xdotool getwindowname "$NOTE" || fail "the typing was not handled"
pinlet_stop
status=$?
[ "$status" -eq 0 ] || fail "the program ended with status $status on a termination signal"
[ "$(note_text 1)" = "Ez egy új jegyzet|masodik sor|vege|kilepes" ] ||
    fail "the edit was lost at a termination signal: '$(note_text 1)'"
step "a termination signal ends the program in order, keeping the edited note"

echo "PASS in $(($(date +%s%3N) - PINLET_TEST_STARTED)) ms"
