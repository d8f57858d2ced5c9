#!/usr/bin/env bash
# The program on a virtual desktop with a system tray: from exec until its list window is mapped, until the
# list first shows its own colour (the first paint), and the CPU time it used until then, with 0, 1,000,
# 10,000 and 50,000 notes (median of 5 starts each); then the memory at rest with none and with 10,000 notes,
# and with 10 note windows open. Another build of the program (say, before a change) and the peer sticky-notes
# program, when it is installed, start side by side, alternating run by run. Windows are waited for by X
# events (the startwait helper, built with the benchmarks), so the measuring takes no CPU from the program.
# Run by hand:
#   bench/program_startup.sh PINLET_EXECUTABLE [OTHER_PINLET_EXECUTABLE]
# Build the executables as for use (-DCMAKE_BUILD_TYPE=Release -DPINLET_BENCH=ON): a sanitizer build
# measures the sanitizer. The helper is taken from bench/startwait beside the first executable, or $STARTWAIT.
# PINLET_BENCH_COUNTS and PINLET_BENCH_RUNS change the note counts and the runs per count.
set -uo pipefail

PINLET=$(realpath "$1")
OTHER=${2:+$(realpath "$2")}
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
STARTWAIT=${STARTWAIT:-$(dirname "$PINLET")/bench/startwait}
COUNTS=${PINLET_BENCH_COUNTS:-0 1000 10000 50000}
RUNS=${PINLET_BENCH_RUNS:-5}
source "$ROOT/scripts/desktop.sh"
[ -x "$STARTWAIT" ] || {
    echo "no startwait helper at $STARTWAIT (build with -DPINLET_BENCH=ON)" >&2
    exit 1
}
PEER=$(command -v xpad || true)

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

# The list window, and a point inside the list (below the top bar, right of the names) in its colour.
pinlet_wait() {
    "$STARTWAIT" --class pinlet --size 612x285 --pixel 400,150 --color FFFF80 "$@"
}
# The peer's note window: the first of its windows wider than a tray icon, painted in any colour.
peer_wait() {
    "$STARTWAIT" --class xpad --min-width 100 --color any "$@"
}

# A home whose database holds the given number of notes: a first start writes the database. Always a
# new one: the memory at rest is measured in a home made again after the timed starts, which must not
# find the notes those put there.
make_home() {
    local home="$WORK/home-$2-$1"
    rm -rf "$home"
    mkdir -p "$home"
    HOME="$home" pinlet_wait --timeout 20000 -- "$2" >/dev/null || exit 1
    {
        echo "BEGIN;"
        for ((i = 1; i <= $1; i++)); do
            echo "INSERT INTO jegyzetek (nev, jegyzet, torolve) VALUES ('Jegyzet $i', 'szöveg $i', 0);"
        done
        echo "COMMIT;"
    } | sqlite3 "$home/Documents/pinlet.db"
    echo "$home"
}

# The peer's home: one pad already there, so that it starts with a note and not its first-run help.
PEER_TEMPLATE="$WORK/peer-template"
if [ -n "$PEER" ]; then
    mkdir -p "$PEER_TEMPLATE"
    HOME="$PEER_TEMPLATE" peer_wait --rest 1500 --timeout 20000 -- "$PEER" >/dev/null 2>&1
    # Its pad, shown and holding a line of text; its running instance's socket is not carried over.
    rm -f "$PEER_TEMPLATE/.config/xpad/server"
    sed -i 's/^hidden 1$/hidden 0/' "$PEER_TEMPLATE"/.config/xpad/info-* 2>/dev/null || PEER=""
    for content in "$PEER_TEMPLATE"/.config/xpad/content-*; do echo "Jegyzet 1" >"$content"; done
fi
peer_home() {
    local home="$WORK/peer-$1"
    rm -rf "$home"
    mkdir -p "$home/.config"
    cp -r "$PEER_TEMPLATE/.config/xpad" "$home/.config/"
    echo "$home"
}

# Prints "map paint cpu" in milliseconds for one start.
one_start() {
    local line
    line=$(HOME="$1" "${@:2}" 2>/dev/null) || {
        echo "- - -"
        return
    }
    echo "$line" | sed -E 's/map_ms=([0-9.]+) paint_ms=([0-9.]+) cpu_ms=([0-9.]+).*/\1 \2 \3/'
}

median() {
    sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'
}

# Column N (1 map, 2 paint, 3 cpu) of a runs file, median.
column_median() {
    awk -v n="$2" '{ print $n }' "$1" | median
}

report() {
    printf "  %-7s %6s notes: map %6s ms  first paint %6s ms  cpu %6s ms\n" "$1" "$2" \
        "$(column_median "$3" 1)" "$(column_median "$3" 2)" "$(column_median "$3" 3)"
}

echo "exec to list window mapped, to its first paint, and CPU used until then; median of $RUNS:"
for notes in $COUNTS; do
    home=$(make_home "$notes" "$PINLET")
    [ -n "$OTHER" ] && otherhome=$(make_home "$notes" "$OTHER")
    : >"$WORK/runs-this"
    : >"$WORK/runs-other"
    : >"$WORK/runs-peer"
    # A first start of each warms the file cache, as a login's would not.
    one_start "$home" pinlet_wait -- "$PINLET" >/dev/null
    [ -n "$OTHER" ] && one_start "$otherhome" pinlet_wait -- "$OTHER" >/dev/null
    for ((run = 1; run <= RUNS; run++)); do
        one_start "$home" pinlet_wait -- "$PINLET" >>"$WORK/runs-this"
        [ -n "$OTHER" ] && one_start "$otherhome" pinlet_wait -- "$OTHER" >>"$WORK/runs-other"
        [ -n "$PEER" ] && one_start "$(peer_home "$run")" peer_wait -- "$PEER" >>"$WORK/runs-peer"
    done
    report this "$notes" "$WORK/runs-this"
    [ -n "$OTHER" ] && report other "$notes" "$WORK/runs-other"
    [ -n "$PEER" ] && report peer "$notes" "$WORK/runs-peer"
done
[ -n "$PEER" ] || echo "  (the peer, xpad, is not installed: not measured)"

# Memory at rest, 3 s after the first paint: resident and anonymous (heap and other private) memory.
echo "memory at rest (resident / anonymous):"
for notes in 0 10000; do
    for build in "$PINLET" ${OTHER:+"$OTHER"}; do
        home=$(make_home "$notes" "$build")
        line=$(HOME="$home" pinlet_wait --rest 3000 -- "$build" 2>/dev/null)
        rss=$(echo "$line" | sed -E 's/.*rss_kb=([0-9]+).*/\1/')
        anon=$(echo "$line" | sed -E 's/.*anon_kb=([0-9]+).*/\1/')
        label=this
        [ "$build" = "$PINLET" ] || label=other
        printf "  %-7s %6s notes: %6s kB resident, %6s kB anonymous\n" "$label" "$notes" "$rss" "$anon"
    done
done

# Resident memory at rest with 10 note windows open. The notes open at saved places in the top-left
# corner, so that none covers the list.
rss_kb() {
    awk '/^VmRSS:/ {print $2}' "/proc/$PINLET_PID/status"
}
list_mapped() {
    [ -n "$(pinlet_windows_sized 612x285)" ]
}
export HOME
HOME=$(make_home 10 "$PINLET")
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
kill "$PINLET_PID" 2>/dev/null
wait "$PINLET_PID" 2>/dev/null
PINLET_PID=""
