#!/usr/bin/env bash
# The program's command line and starting at login, driven on a virtual desktop with a system tray:
# --version, --help and a wrong option answer without starting; --new opens a note in the running
# program; the tray menu's "Indítás bejelentkezéskor" writes and removes the autostart entry; an entry left
# pointing at a moved executable is rewritten at start.
# Usage: commands_e2e.sh PINLET_EXECUTABLE. Exit 77 (skipped) only when no X server can be started.
set -uo pipefail

PINLET=$1
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
source "$ROOT/scripts/desktop.sh"

pinlet_test_run pinlet-commands
fail() { pinlet_fail "$@"; }
step() { pinlet_step "$@"; }

# A user of its own, with configuration folders of its own.
pinlet_private_user "$WORK"
export XDG_CONFIG_HOME="$WORK/config"
export XDG_CONFIG_DIRS="$WORK/system-config"
export ASAN_OPTIONS="detect_leaks=0${ASAN_OPTIONS:+:$ASAN_OPTIONS}"
DB="$HOME/Documents/pinlet.db"
ENTRY="$XDG_CONFIG_HOME/autostart/hu.zkpinlet.pinlet.desktop"
NOTE_SIZE=374x319
LIST_SIZE=612x285

# ---- without a display: the answers that need none

unset DISPLAY WAYLAND_DISPLAY
"$PINLET" --version >"$WORK/out" 2>&1 || fail "--version ended with $?"
grep -qE "^Pinlet [0-9]+\.[0-9]+" "$WORK/out" || fail "--version printed '$(cat "$WORK/out")'"
"$PINLET" --help >"$WORK/out" 2>&1 || fail "--help ended with $?"
grep -q "^Használat: pinlet" "$WORK/out" && grep -q -- "--new" "$WORK/out" || fail "--help printed '$(cat "$WORK/out")'"
"$PINLET" --bogus >"$WORK/out" 2>&1
status=$?
[ "$status" -eq 2 ] || fail "an unknown option ended with $status, not 2"
grep -q "ismeretlen kapcsoló: --bogus" "$WORK/out" || fail "an unknown option said '$(cat "$WORK/out")'"
step "--version, --help and an unknown option answer without a display"

pinlet_test_desktop "$WORK" || fail "the desktop came up without a system tray"
export QT_QPA_PLATFORM=xcb

sql() { pinlet_sql "$1"; }

start_pinlet() {
    "$PINLET" "$@" >>"$WORK/pinlet.log" 2>&1 &
    PINLET_PID=$!
}

# run_second OPTION...: a start while the program runs; it must end with 0 on its own.
run_second() {
    "$PINLET" "$@" >>"$WORK/pinlet.log" 2>&1 &
    local second=$!
    pinlet_wait_until 10000 sh -c "! kill -0 $second" || fail "pinlet $* did not end"
    wait "$second"
    local status=$?
    [ "$status" -eq 0 ] || fail "pinlet $* ended with status $status"
}


exec_line() {
    sed -n 's/^Exec=//p' "$1"
}

# ---- --new against the running program

start_pinlet
TRAY=$(pinlet_wait_window 24x24 10000) || fail "no tray icon appeared"
LIST=$(pinlet_wait_window "$LIST_SIZE" 10000) || fail "the list window did not show at start"
[ -e "$ENTRY" ] && fail "an autostart entry was written unasked"
run_second --new
new_note_made() {
    [ "$(sql "SELECT nev || '/' || jegyzet FROM jegyzetek")" = "Új jegyzet/Ez egy új jegyzet" ]
}
pinlet_wait_until 5000 new_note_made || fail "--new made no note in the running program"
NOTE=$(pinlet_wait_window "$NOTE_SIZE" 5000) || fail "--new opened no note window"
pinlet_wait_until 3000 pinlet_unmapped "$LIST" || fail "the list stayed up as the new-note picture would not leave it"
kill -0 "$PINLET_PID" 2>/dev/null || fail "the running program ended"
step "pinlet --new opened a new note in the running program"

# The note closes with its cross; an open note window would raise the notice popup when the list comes
# up, and the popup is a window that could be taken for the menu.
pinlet_click_in "$NOTE" 349 20
pinlet_wait_until 3000 pinlet_unmapped "$NOTE" || fail "the note window's cross did not close it"

run_second --show
pinlet_wait_until 3000 pinlet_mapped "$LIST" || fail "--show did not bring up the list"
step "pinlet --show brought up the list"

# ---- the tray menu's "Indítás bejelentkezéskor", the item above the separator

tray_position=$(pinlet_window_position "$TRAY")
# The program's unframed windows but the tray icon: its menus, and the notice popup if it is up.
unframed_windows() {
    local id
    for id in $(xdotool search --onlyvisible --class pinlet 2>/dev/null); do
        [ "$id" != "$TRAY" ] && xwininfo -id "$id" | grep -q "Override Redirect State: yes" && echo "$id"
    done | sort
}
new_menu() {
    comm -13 <(echo "$BEFORE") <(unframed_windows) | grep .
}
toggle_login_item() {
    BEFORE=$(unframed_windows)
    # Moved onto the icon first: a click that arrives with the pointer's entry can go unseen.
    xdotool mousemove $((${tray_position%,*} + 12)) $((${tray_position#*,} + 12))
    local attempt
    for attempt in 1 2 3; do
        xdotool click 3
        pinlet_wait_until 3000 new_menu && break
    done
    new_menu >/dev/null || fail "the tray icon's right click showed no menu"
    local menu
    menu=$(new_menu | head -n 1)
    xdotool key Up Up Return
    pinlet_wait_until 10000 pinlet_unmapped "$menu" || fail "the tray menu stays open"
}
toggle_login_item
pinlet_wait_until 3000 test -s "$ENTRY" || fail "checking the item wrote no autostart entry"
[ "$(exec_line "$ENTRY")" = "$PINLET" ] || fail "the entry starts '$(exec_line "$ENTRY")', not $PINLET"
toggle_login_item
pinlet_wait_until 3000 test ! -e "$ENTRY" || fail "unchecking the item left the autostart entry"
step "the tray menu's item wrote the autostart entry and removed it"

# ---- an entry of a moved executable is rewritten at start; with --new, the first start opens a note

pinlet_stop
mkdir -p "$XDG_CONFIG_HOME/autostart"
printf '[Desktop Entry]\nType=Application\nName=Pinlet\nExec=%s --show\n' "$WORK/moved/pinlet" \
    >"$XDG_CONFIG_HOME/autostart/kezi.desktop"
entry_rewritten() {
    [ "$(exec_line "$XDG_CONFIG_HOME/autostart/kezi.desktop")" = "$PINLET --show" ]
}
start_pinlet --new
pinlet_wait_until 10000 entry_rewritten ||
    fail "the entry of the moved executable reads '$(exec_line "$XDG_CONFIG_HOME/autostart/kezi.desktop")'"
two_notes() {
    [ "$(sql "SELECT count(*) FROM jegyzetek")" = 2 ]
}
pinlet_wait_until 5000 two_notes || fail "a first start with --new made no note"
pinlet_wait_window "$NOTE_SIZE" 5000 >/dev/null || fail "a first start with --new opened no note window"
step "the moved executable's entry was rewritten; a first start with --new opened a note"
pinlet_stop
