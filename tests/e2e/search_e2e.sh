#!/usr/bin/env bash
# Finding a note from the keyboard, as a user would, on a virtual desktop with a system tray: the list
# window searches as one types, Enter opens the note found, Esc ends the search and then hides the list.
# Usage: search_e2e.sh PINLET_EXECUTABLE. Exit 77 (skipped) only when no X server can be started.
set -uo pipefail

PINLET=$1
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
source "$ROOT/scripts/desktop.sh"

pinlet_test_run pinlet-search-e2e

fail() {
    pinlet_fail "$@"
}

pinlet_test_desktop "$WORK" || fail "the desktop came up without a system tray"
pinlet_private_user "$WORK"
DB="$HOME/Documents/pinlet.db"
LIST_SIZE=612x285
NOTE_SIZE=374x319

rows_are() {
    [ "$(pinlet_link_rows "$LIST" | wc -l)" -eq "$1" ]
}

# A press on the tray icon: the list window comes up with the keyboard focus and rebuilds its list.
bring_up_list() {
    xdotool mousemove $((${tray_position%,*} + 12)) $((${tray_position#*,} + 12)) click 1
    pinlet_wait_until 3000 pinlet_mapped "$LIST" || fail "the tray icon did not bring the list window up"
}

# Enter on the list: the note window that opens must be the named note's.
enter_opens() {
    xdotool key Return
    NOTE=$(pinlet_wait_window "$NOTE_SIZE" 5000) || fail "Enter opened no note window"
    pinlet_wait_until 3000 test "$(xdotool getwindowname "$NOTE")" = "$1" ||
        fail "Enter opened '$(xdotool getwindowname "$NOTE")', not '$1'"
    pinlet_click_in "$NOTE" 349 20
    pinlet_wait_until 3000 pinlet_unmapped "$NOTE" || fail "the note window's cross did not close it"
}


# The first start makes the database; then another program, which does not keep the search index,
# writes notes into it: the next start must find them all the same.
pinlet_start "$PINLET"
pinlet_wait_until 10000 test -s "$DB" || fail "no database was made"
pinlet_wait_window "$LIST_SIZE" 10000 >/dev/null || fail "the list window did not show at start"
pinlet_stop
sqlite3 -batch "$DB" "INSERT INTO jegyzetek (nev, jegyzet) VALUES
    ('Körtefa', 'metszeni tavasszal'), ('Bevásárlás', 'tej, kenyér, őszibarack'), ('Szilva', 'lekvár')" ||
    fail "the notes could not be written"
pinlet_start "$PINLET"
TRAY=$(pinlet_wait_window 24x24 10000) || fail "no tray icon appeared"
tray_position=$(pinlet_window_position "$TRAY")
LIST=$(pinlet_wait_window "$LIST_SIZE" 10000) || fail "the list window did not show at start"
pinlet_wait_until 3000 rows_are 3 || fail "the list does not show the three notes"
bring_up_list

xdotool type --delay 30 "OSZI"
pinlet_wait_until 3000 rows_are 1 || fail "typing 'OSZI' did not narrow the list to the one note"
enter_opens "Bevásárlás"
echo "typing narrowed the list, Enter opened the note found"

# The search outlives the note window; Esc ends it, and the arrows walk the whole list.
bring_up_list
pinlet_wait_until 3000 rows_are 1 || fail "the search was not kept"
xdotool key Escape
pinlet_wait_until 3000 rows_are 3 || fail "Esc did not bring the whole list back"
xdotool key Down Down Down Up
enter_opens "Bevásárlás"
bring_up_list
xdotool type --delay 30 "zzz"
pinlet_wait_until 3000 rows_are 0 || fail "a search that finds nothing still lists notes"
xdotool key Escape Escape
pinlet_wait_until 3000 pinlet_unmapped "$LIST" || fail "the second Esc did not hide the list window"
echo "Esc ended the search, the arrows and Enter opened the second note, the second Esc hid the list"

pinlet_stop
[ "$(sqlite3 "$DB" "SELECT valtozas = indexelt FROM kereses_allapot")" = 1 ] || fail "the index was left stale"
sqlite3 "$DB" "INSERT INTO jegyzetek_kereses (jegyzetek_kereses, rank) VALUES ('integrity-check', 1)" ||
    fail "the search index does not match the notes"
echo "PASS"
