#!/usr/bin/env bash
# The system-wide shortcuts on a virtual desktop: pressed while another window has the keyboard, with the
# lock keys on, held down, taken by another program first, and changed in zkpinlet.ini.
# Usage: shortcuts_e2e.sh PINLET_EXECUTABLE KEYGRAB_HELPER. Exit 77 (skipped) only when no X server can be
# started.
set -uo pipefail

PINLET=$1
KEYGRAB=$2
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
source "$ROOT/scripts/desktop.sh"

pinlet_test_run pinlet-shortcuts
HOLDER_PID=""
pinlet_test_cleanup() {
    [ -n "${HOLDER_PID:-}" ] && kill "$HOLDER_PID" 2>/dev/null
}
fail() { pinlet_fail "$@"; }
step() { pinlet_step "$@"; }

pinlet_test_desktop "$WORK" || fail "the desktop came up without a system tray"
pinlet_private_user "$WORK"
DB="$HOME/Documents/pinlet.db"
LIST_SIZE=612x285
NOTE_SIZE=374x319

notes() { pinlet_sql "SELECT count(*) FROM jegyzetek"; }

# start_pinlet [EXECUTABLE]: starts the program and waits until its list window shows.
start_pinlet() {
    "${1:-$PINLET}" >>"$WORK/pinlet.log" 2>&1 &
    PINLET_PID=$!
    pinlet_wait_window 24x24 10000 >/dev/null || fail "no tray icon appeared"
    LIST=$(pinlet_wait_window "$LIST_SIZE" 10000) || fail "the list window did not show at start"
}


hide_list() {
    pinlet_click_in "$LIST" 587 20
    pinlet_wait_until 3000 pinlet_unmapped "$LIST" || fail "the cross did not hide the list window"
}

active_is() {
    [ "$(xdotool getactivewindow 2>/dev/null)" = "$1" ]
}

# locks_are MASK: the lock modifiers the server keeps on, of Caps Lock (0x2) and Num Lock (0x10).
locks_are() {
    [ $(($("$KEYGRAB" state) & 0x12)) -eq $(($1)) ]
}

# ---- the default keys

start_pinlet
pinlet_wait_until 5000 pinlet_output_is 0 notes || fail "the fresh database is not empty"
hide_list

# Ctrl+Alt+N while no window of the program shows: a new note, in a window of its own, ready for typing.
xdotool key ctrl+alt+n
NOTE=$(pinlet_wait_window "$NOTE_SIZE" 5000) || fail "Ctrl+Alt+N opened no note window"
pinlet_wait_until 3000 pinlet_output_is 1 notes || fail "Ctrl+Alt+N made $(notes) notes"
pinlet_wait_until 3000 active_is "$NOTE" || fail "the new note's window does not have the keyboard"
pinlet_unmapped "$LIST" || fail "Ctrl+Alt+N showed the list window"
step "Ctrl+Alt+N opened a new note"

# Ctrl+Alt+J: the list, in front and with the keyboard.
xdotool key ctrl+alt+j
pinlet_wait_until 3000 pinlet_mapped "$LIST" || fail "Ctrl+Alt+J did not show the list window"
pinlet_wait_until 3000 active_is "$LIST" || fail "the list window came up without the keyboard"
step "Ctrl+Alt+J brought the list up, active"

# With Caps Lock and Num Lock on, the same keys work.
hide_list
xdotool key Caps_Lock Num_Lock
pinlet_wait_until 2000 locks_are 0x12 || fail "Caps Lock and Num Lock did not go on"
xdotool key ctrl+alt+j
pinlet_wait_until 3000 pinlet_mapped "$LIST" || fail "with Caps Lock and Num Lock on Ctrl+Alt+J did nothing"
xdotool key ctrl+alt+n
pinlet_wait_until 3000 pinlet_output_is 2 notes || fail "with the locks on Ctrl+Alt+N made $(notes) notes, not 2"
xdotool key Caps_Lock Num_Lock
pinlet_wait_until 2000 locks_are 0 || fail "Caps Lock and Num Lock did not go off"
step "Caps Lock and Num Lock on: both keys still work"

# Holding the keys down makes one note, however long the key repeats.
xdotool keydown ctrl+alt+n
pinlet_wait_until 3000 pinlet_output_is 3 notes || fail "holding Ctrl+Alt+N made no note"
# The key repeats while it stays down: a second note within a second would be one of those.
pinlet_wait_until 1000 pinlet_output_is 4 notes && fail "holding Ctrl+Alt+N down made more than one note"
xdotool keyup n keyup alt keyup ctrl
step "Ctrl+Alt+N held down made one note"

pinlet_stop

# ---- another program holds Ctrl+Alt+N first: a notice, no failure box, the other key still works

"$KEYGRAB" 0x6e 0x0c >"$WORK/holder.out" 2>&1 &
HOLDER_PID=$!
pinlet_wait_until 10000 test -s "$WORK/holder.out" || fail "the other program did not start"
[ "$(head -n 1 "$WORK/holder.out")" = held ] ||
    fail "the other program could not hold Ctrl+Alt+N first: $(cat "$WORK/holder.out")"
start_pinlet
pinlet_wait_until 5000 pinlet_unmanaged_shown || fail "no notice said that Ctrl+Alt+N is taken"
# No failure box, nor any other window: only the list, the tray icon and the notice.
for id in $(xdotool search --onlyvisible --class pinlet); do
    [ "$id" = "$LIST" ] && continue
    xwininfo -id "$id" | grep -q "Override Redirect State: yes" && continue
    [ "$(xdotool getwindowgeometry "$id" | awk '/Geometry:/ {print $2}')" = 24x24 ] && continue
    fail "a window other than the list, the tray icon and the notice showed: $(xdotool getwindowname "$id")"
done
hide_list
xdotool key ctrl+alt+j
pinlet_wait_until 3000 pinlet_mapped "$LIST" || fail "with Ctrl+Alt+N taken, Ctrl+Alt+J did not work"
step "Ctrl+Alt+N held by another program: a notice, and Ctrl+Alt+J still works"
pinlet_stop
kill "$HOLDER_PID" 2>/dev/null
wait "$HOLDER_PID" 2>/dev/null
HOLDER_PID=""

# ---- changed in zkpinlet.ini beside the executable: new=Ctrl+Alt+K, list= (off)

mkdir -p "$WORK/exe"
cp "$PINLET" "$WORK/exe/pinlet"
printf '[shortcuts]\r\nnew = Ctrl+Alt+K\r\nlist =\r\n' >"$WORK/exe/zkpinlet.ini"
start_pinlet "$WORK/exe/pinlet"
before=$(notes)
hide_list
xdotool key ctrl+alt+n ctrl+alt+j
xdotool key ctrl+alt+k
pinlet_wait_until 3000 pinlet_output_is $((before + 1)) notes || fail "Ctrl+Alt+K did not make a note"
pinlet_unmapped "$LIST" || fail "Ctrl+Alt+J still brings the list up after list= switched it off"
[ "$(notes)" = $((before + 1)) ] || fail "Ctrl+Alt+N still makes notes after new= moved it"
pinlet_stop
step "new=Ctrl+Alt+K moved the new-note key, an empty list= switched the list key off"

echo "PASS in $(($(date +%s%3N) - PINLET_TEST_STARTED)) ms"
