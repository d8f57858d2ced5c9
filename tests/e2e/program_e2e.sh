#!/usr/bin/env bash
# Drives the built program as a user would, on a virtual desktop with a system tray.
# Usage: program_e2e.sh PINLET_EXECUTABLE. Exit 77 (skipped) only when no X server can be started.
set -uo pipefail

PINLET=$1
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
source "$ROOT/scripts/desktop.sh"

WORK=$(mktemp -d "${TMPDIR:-/tmp}/pinlet-e2e.XXXXXX")
PINLET_PID=""
STARTED=$(date +%s%3N)

finish() {
    [ -n "$PINLET_PID" ] && kill "$PINLET_PID" 2>/dev/null
    pinlet_desktop_stop
    rm -rf "$WORK"
}
trap finish EXIT

fail() {
    echo "FAIL: $*" >&2
    echo "--- program output:" >&2
    cat "$WORK/pinlet.log" >&2 2>/dev/null
    exit 1
}

step() {
    echo "$(($(date +%s%3N) - STARTED)) ms: $*"
}

pinlet_desktop_start "$WORK"
case $? in
0) ;;
1)
    echo "SKIP: no X server can be started here, so the program cannot be driven on a desktop"
    exit 77
    ;;
*) fail "the desktop came up without a system tray" ;;
esac

# A user of its own: a fresh home (the database goes to its Documents folder) and a private temporary
# folder (the one-instance lock and socket).
export HOME="$WORK/home"
export TMPDIR="$WORK/tmp"
export XDG_RUNTIME_DIR="$WORK/runtime"
unset XDG_CONFIG_HOME XDG_DATA_HOME XDG_CACHE_HOME XDG_DOCUMENTS_DIR
mkdir -p "$HOME" "$TMPDIR" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
export QT_QPA_PLATFORM=xcb
# Qt's and the X libraries' own allocations are no concern of this test; the unit tests check leaks.
export ASAN_OPTIONS="detect_leaks=0${ASAN_OPTIONS:+:$ASAN_OPTIONS}"
DB="$HOME/Documents/pinlet.db"

sql() {
    sqlite3 -batch -noheader "file:$DB?mode=ro" "$1"
}

# The ids of the program's mapped top-level windows of the given size (WIDTHxHEIGHT), newest last.
windows_sized() {
    local id
    for id in $(xdotool search --onlyvisible --class pinlet 2>/dev/null); do
        [ "$(xdotool getwindowgeometry "$id" 2>/dev/null | awk '/Geometry:/ {print $2}')" = "$1" ] && echo "$id"
    done
}

# The position X,Y of a window's top-left corner on the screen.
window_position() {
    xdotool getwindowgeometry "$1" | awk '/Position:/ {print $2}'
}

# Presses the left button at the point X Y of a window's client area.
click_in() {
    local position
    position=$(window_position "$1") || return 1
    xdotool mousemove $((${position%,*} + $2)) $((${position#*,} + $3)) click 1
}

start_pinlet() {
    "$PINLET" >>"$WORK/pinlet.log" 2>&1 &
    PINLET_PID=$!
}

# ---- the run

start_pinlet
pinlet_wait_until 10000 test -s "$DB" || fail "no database was made in the fresh Documents folder"
step "started; the database is in the Documents folder"

# A second start hands over to the first and ends with status 0.
"$PINLET" >>"$WORK/pinlet.log" 2>&1 &
second=$!
pinlet_wait_until 10000 sh -c "! kill -0 $second" || fail "a second start did not end"
wait "$second"
status=$?
[ "$status" -eq 0 ] || fail "a second start ended with status $status"
kill -0 "$PINLET_PID" 2>/dev/null || fail "the first instance ended when a second one started"
step "a second start ended with 0 and the first runs on"

echo "PASS in $(($(date +%s%3N) - STARTED)) ms"
