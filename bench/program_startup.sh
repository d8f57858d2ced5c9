#!/usr/bin/env bash
# The program on a virtual desktop with a system tray: how long from the process's start until its list
# window is mapped, with 0, 1,000 and 10,000 notes (median of 5 starts each), and the resident memory at
# rest with 10 note windows open (beside the same program with none). Run by hand:
#   bench/program_startup.sh PINLET_EXECUTABLE
# Build the executable as for use (-DCMAKE_BUILD_TYPE=Release): a sanitizer build measures the sanitizer.
set -uo pipefail

PINLET=$(realpath "$1")
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$ROOT/scripts/desktop.sh"

WORK=$(mktemp -d "${TMPDIR:-/tmp}/pinlet-bench.XXXXXX")
PINLET_PID=""
finish() {
    [ -n "$PINLET_PID" ] && kill "$PINLET_PID" 2>/dev/null
    pinlet_desktop_stop
    rm -rf "$WORK"
}
trap finish EXIT

pinlet_desktop_start "$WORK" || {
    echo "no desktop can be started here" >&2
    exit 1
}
export TMPDIR="$WORK/tmp" XDG_RUNTIME_DIR="$WORK/runtime" QT_QPA_PLATFORM=xcb
unset XDG_CONFIG_HOME XDG_DATA_HOME XDG_CACHE_HOME
mkdir -p "$TMPDIR" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"

list_mapped() {
    [ -n "$(pinlet_windows_sized 612x285)" ]
}

stop_pinlet() {
    kill "$PINLET_PID" 2>/dev/null
    wait "$PINLET_PID" 2>/dev/null
    PINLET_PID=""
}

# A home whose database holds the given number of notes.
make_home() {
    export HOME="$WORK/home-$1"
    mkdir -p "$HOME"
    "$PINLET" >/dev/null 2>&1 &
    PINLET_PID=$!
    pinlet_wait_until 10000 test -s "$HOME/Documents/pinlet.db" || exit 1
    pinlet_wait_until 10000 list_mapped || exit 1
    stop_pinlet
    {
        echo "BEGIN;"
        for ((i = 1; i <= $1; i++)); do
            echo "INSERT INTO jegyzetek (nev, jegyzet, torolve) VALUES ('Jegyzet $i', 'szöveg $i', 0);"
        done
        echo "COMMIT;"
    } | sqlite3 "$HOME/Documents/pinlet.db"
}

# Milliseconds from the process's start to its list window mapped, polled every few milliseconds.
one_start() {
    local started
    started=$(date +%s%N)
    "$PINLET" >/dev/null 2>&1 &
    PINLET_PID=$!
    until list_mapped; do :; done
    echo $((($(date +%s%N) - started) / 1000000))
    stop_pinlet
}

median() {
    sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'
}

echo "start to list window mapped, median of 5 (all 5 in brackets):"
for notes in 0 1000 10000; do
    make_home "$notes"
    one_start >/dev/null # the first start after the set-up warms the file cache, as a login's would not
    runs=$(for run in 1 2 3 4 5; do one_start; done)
    echo "  $notes notes: $(echo "$runs" | median) ms  [$(echo $runs)]"
done

# Resident memory at rest: the program alone, then with 10 note windows open. The notes open at saved
# places in the top-left corner, so that none covers the list.
rss_kb() {
    awk '/^VmRSS:/ {print $2}' "/proc/$PINLET_PID/status"
}
make_home 10
for ((i = 1; i <= 10; i++)); do
    for pair in "top:$((20 + 8 * i))" "left:$((10 + 12 * i))" "width:300" "height:200"; do
        echo "INSERT INTO setup (nev, ertek) VALUES ('j_${i}_${pair%%:*}', '${pair#*:}');"
    done
done | sqlite3 "$HOME/Documents/pinlet.db"
"$PINLET" >/dev/null 2>&1 &
PINLET_PID=$!
pinlet_wait_until 10000 list_mapped || exit 1
LIST=$(pinlet_windows_sized 612x285)
sleep 3
alone=$(rss_kb)
# The list shows about eight rows: the first ones, then the rest after scrolling to its end.
rows=($(pinlet_link_rows "$LIST"))
for y in "${rows[@]}"; do
    pinlet_click_in "$LIST" 30 "$y"
    sleep 0.3
done
for ((wheel = 0; wheel < 10; wheel++)); do pinlet_click_in "$LIST" 300 120 5; done
sleep 0.3
rest=($(pinlet_link_rows "$LIST"))
for y in "${rest[@]:$((${#rest[@]} - (10 - ${#rows[@]})))}"; do
    pinlet_click_in "$LIST" 30 "$y"
    sleep 0.3
done
pinlet_wait_until 10000 sh -c '[ "$(xdotool search --onlyvisible --class pinlet | wc -l)" -ge 12 ]'
sleep 3
with10=$(rss_kb)
echo "resident memory at rest: $((alone / 1024)) MB alone, $((with10 / 1024)) MB with 10 note windows open"
stop_pinlet
