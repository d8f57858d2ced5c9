#!/usr/bin/env bash
# The database in a synchronised folder, on a virtual desktop: another process adds a note, then a
# synchronising program renames the other machine's copy over the file while a note is being edited here.
# The list follows, and neither machine's text is lost.
# Usage: sync_e2e.sh PINLET_EXECUTABLE. Exit 77 (skipped) only when no X server can be started.
set -uo pipefail

PINLET=$1
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
source "$ROOT/scripts/desktop.sh"

pinlet_test_run pinlet-sync-e2e
fail() { pinlet_fail "$@"; }

pinlet_test_desktop "$WORK" || fail "the desktop came up without a system tray"
pinlet_private_user "$WORK"
DB="$HOME/Documents/pinlet.db"
sql() { pinlet_sql "$1"; }
rows_are() { [ "$(pinlet_link_rows "$LIST" | wc -l)" -eq "$1" ]; }

pinlet_start "$PINLET"
LIST=$(pinlet_wait_window 612x285 10000) || fail "the list window did not show at start"

# Another process adds a note: the list shows it without this program having written anything.
sqlite3 "$DB" "INSERT INTO jegyzetek (nev, jegyzet) VALUES ('Közös', 'első változat')" || fail "no insert"
pinlet_wait_until 5000 rows_are 1 || fail "the list did not follow a note added by another process"
echo "the list follows another process's note"

# Open it, type, and let the autosave write it.
pinlet_click_in "$LIST" 30 "$(pinlet_link_rows "$LIST" | head -1)"
NOTE=$(pinlet_wait_window 374x319 5000) || fail "the name opened no note window"
pinlet_wait_until 3000 pinlet_output_is "Közös" xdotool getwindowname "$NOTE" || fail "the note did not load"
pinlet_click_in "$NOTE" 150 150
xdotool key --clearmodifiers ctrl+End
xdotool type --delay 10 " itt"
pinlet_wait_until 5000 pinlet_output_is "első változat itt" sql "SELECT jegyzet FROM jegyzetek" ||
    fail "the autosave did not write the typed text"

# The other machine's version arrives as a synchronising program writes it: a whole file renamed over, right
# after more typing here, so the window holds edits of its own when it meets the other version (an unedited
# window would simply take the other version, as it should).
cp "$DB" "$WORK/incoming.db"
sqlite3 "$WORK/incoming.db" "UPDATE jegyzetek SET jegyzet='második gép szövege';
    INSERT INTO jegyzetek (nev, jegyzet) VALUES ('Másik gép jegyzete', 'x')" || fail "no incoming copy"
# Typed as plain letters: xdotool maps a letter beyond the keyboard's onto a spare key, and may lose it.
xdotool type --delay 10 " es meg"
mv "$WORK/incoming.db" "$DB"
# Ending the program saves the open note.
pinlet_stop

[ "$(sql "SELECT jegyzet FROM jegyzetek WHERE nev='Közös'")" = "második gép szövege" ] ||
    fail "the other machine's text was overwritten: $(sql "SELECT nev || '=' || jegyzet FROM jegyzetek")"
[ "$(sql "SELECT count(*) FROM jegyzetek WHERE nev LIKE 'Közös (ütközés, %)' AND
          jegyzet='első változat itt es meg'")" = 1 ] ||
    fail "this machine's edits were not kept apart: $(sql "SELECT nev || '=' || jegyzet FROM jegyzetek")"
[ "$(sql "SELECT count(*) FROM jegyzetek WHERE nev='Másik gép jegyzete'")" = 1 ] || fail "a note was lost"
echo "both machines' text kept after a rename over the file"
