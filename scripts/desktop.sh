# A virtual desktop for Pinlet: Xvfb with the icewm window manager, whose taskbar has a system tray.
# Used by the end-to-end test and the start-up benchmark, and by hand (scripts/desktop).
#
#   source scripts/desktop.sh
#   pinlet_desktop_start DIR [notray]
#                              # logs go to DIR; exports DISPLAY; 1 when no X server can be started.
#                              # notray: the taskbar has no notification area
#   ...
#   pinlet_desktop_stop        # ends what pinlet_desktop_start started
#
# pinlet_desktop_start is pinlet_xserver_start DIR followed by pinlet_wm_start DIR [notray]: a program
# started between the two meets a desktop whose panel comes up late, as at some logins.

PINLET_DESKTOP_WIDTH=1024
PINLET_DESKTOP_HEIGHT=768

# pinlet_wait_until BOUND_MS COMMAND...: runs the command every 50 ms until it succeeds; fails after BOUND_MS.
pinlet_wait_until() {
    local bound=$1
    shift
    local deadline=$(($(date +%s%3N) + bound))
    until "$@" >/dev/null 2>&1; do
        [ "$(date +%s%3N)" -lt "$deadline" ] || return 1
        sleep 0.05
    done
}

# pinlet_output_is EXPECTED COMMAND...: the command prints exactly the expected text. With pinlet_wait_until
# the command runs again at every try (a "$(...)" argument would be read only once, before the wait).
pinlet_output_is() {
    local expected=$1
    shift
    [ "$("$@" 2>/dev/null)" = "$expected" ]
}

_pinlet_display_ready() {
    [ -s "$1" ] && DISPLAY=":$(head -n1 "$1")" xdpyinfo
}

_pinlet_taskbar_ready() {
    xwininfo -root -tree | grep -q "\"$1\""
}

pinlet_desktop_start() {
    pinlet_xserver_start "$1" || return 1
    pinlet_wm_start "$@"
}

pinlet_xserver_start() {
    local dir=$1
    PINLET_XVFB_PID=""
    PINLET_ICEWM_PID=""
    command -v Xvfb >/dev/null || {
        echo "no Xvfb on this machine" >&2
        return 1
    }
    # -displayfd: the server picks a free display number itself and writes it here.
    # -noreset: by default the server resets when its last client leaves, and a client still in its
    # connection handshake then is dropped: the readiness check's own disconnect could cost the program
    # started next its display.
    local displayfile="$dir/display"
    : >"$displayfile"
    Xvfb -displayfd 3 -noreset -screen 0 "${PINLET_DESKTOP_WIDTH}x${PINLET_DESKTOP_HEIGHT}x24" -nolisten tcp \
        3>"$displayfile" >"$dir/xvfb.log" 2>&1 &
    PINLET_XVFB_PID=$!
    if ! pinlet_wait_until 10000 _pinlet_display_ready "$displayfile"; then
        echo "Xvfb did not start: $(tail -n 3 "$dir/xvfb.log" 2>/dev/null)" >&2
        pinlet_desktop_stop
        return 1
    fi
    export DISPLAY=":$(head -n1 "$displayfile")"
}

# pinlet_wm_start DIR [notray]: icewm with its taskbar on the X server already started; 2 when its
# taskbar (or system tray) does not come up.
pinlet_wm_start() {
    local dir=$1
    local tray=SystemTray
    # icewm keeps its settings under HOME; a folder of its own keeps the user's out of the way.
    mkdir -p "$dir/icewm-home"
    : >"$dir/icewm-preferences"
    if [ "${2:-}" = notray ]; then
        echo "TaskBarEnableSystemTray=0" >"$dir/icewm-preferences"
        tray=TaskBar
    fi
    HOME="$dir/icewm-home" icewm -c "$dir/icewm-preferences" >"$dir/icewm.log" 2>&1 &
    PINLET_ICEWM_PID=$!
    if ! pinlet_wait_until 10000 _pinlet_taskbar_ready "$tray"; then
        echo "icewm did not bring up its system tray: $(tail -n 3 "$dir/icewm.log" 2>/dev/null)" >&2
        pinlet_desktop_stop
        return 2
    fi
}

# pinlet_test_desktop DIR: pinlet_desktop_start for a test script. Where no X server can be started it
# ends the script as skipped (77); it fails when the desktop came up without a system tray.
pinlet_test_desktop() {
    pinlet_desktop_start "$1"
    case $? in
    0) return 0 ;;
    1)
        echo "SKIP: no X server can be started here, so the program cannot be driven on a desktop"
        exit 77
        ;;
    *) return 2 ;;
    esac
}

pinlet_desktop_stop() {
    local pid
    for pid in $PINLET_ICEWM_PID $PINLET_XVFB_PID; do
        kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
    done
    PINLET_ICEWM_PID=""
    PINLET_XVFB_PID=""
}

# pinlet_private_user DIR: the program runs as a user of its own, on the desktop: a fresh home under DIR
# (the database goes to its Documents folder, the autostart entries to its .config) and private temporary
# and runtime folders (the one-instance lock and socket).
pinlet_private_user() {
    export HOME="$1/home"
    export TMPDIR="$1/tmp"
    export XDG_RUNTIME_DIR="$1/runtime"
    unset XDG_CONFIG_HOME XDG_CONFIG_DIRS XDG_DATA_HOME XDG_CACHE_HOME XDG_DOCUMENTS_DIR
    mkdir -p "$HOME" "$TMPDIR" "$XDG_RUNTIME_DIR"
    chmod 700 "$XDG_RUNTIME_DIR"
    export QT_QPA_PLATFORM=xcb
    # Qt's and the X libraries' own allocations are no concern of these tests; the unit tests check leaks.
    export ASAN_OPTIONS="detect_leaks=0${ASAN_OPTIONS:+:$ASAN_OPTIONS}"
}

# ---- a test script's run of the program

# pinlet_test_run NAME: a fresh folder, WORK, that goes when the script ends (kept when KEEP is set, to look
# into), together with the desktop, the program started by pinlet_start and whatever the script's own
# pinlet_test_cleanup, if it defines one, stops.
pinlet_test_run() {
    WORK=$(mktemp -d "${TMPDIR:-/tmp}/$1.XXXXXX")
    PINLET_PID=""
    PINLET_TEST_STARTED=$(date +%s%3N)
    trap _pinlet_test_finish EXIT
}

_pinlet_test_finish() {
    [ -n "$PINLET_PID" ] && kill "$PINLET_PID" 2>/dev/null
    declare -F pinlet_test_cleanup >/dev/null && pinlet_test_cleanup
    pinlet_desktop_stop
    [ -n "${KEEP:-}" ] || rm -rf "$WORK"
}

# pinlet_step MESSAGE: the message after the milliseconds since pinlet_test_run, to see where time goes.
pinlet_step() {
    echo "$(($(date +%s%3N) - PINLET_TEST_STARTED)) ms: $*"
}

# pinlet_start PROGRAM: starts it in the background, its output in WORK/pinlet.log, its pid in PINLET_PID.
pinlet_start() {
    "$1" >>"$WORK/pinlet.log" 2>&1 &
    PINLET_PID=$!
}

# pinlet_stop: ends the program started by pinlet_start with a termination signal, as a session's end does,
# and waits until it is gone. Returns the program's exit status.
pinlet_stop() {
    local status
    kill -TERM "$PINLET_PID"
    pinlet_wait_until 10000 sh -c "! kill -0 $PINLET_PID" ||
        pinlet_fail "a termination signal did not end the program"
    wait "$PINLET_PID"
    status=$?
    PINLET_PID=""
    return "$status"
}

# pinlet_sql STATEMENT: reads the user's database, $DB, without writing it. A write of the program holds the
# file for a moment (longer on a busy machine): the reader waits for it instead of failing the check.
pinlet_sql() {
    sqlite3 -batch -noheader -cmd ".timeout 5000" "file:$DB?mode=ro" "$1"
}

# pinlet_fail MESSAGE: ends the script as failed, with the program's output.
pinlet_fail() {
    echo "FAIL: $*" >&2
    echo "--- program output:" >&2
    cat "$WORK/pinlet.log" >&2 2>/dev/null
    if [ -s "$WORK/xvfb.log" ]; then
        echo "--- X server output:" >&2
        tail -n 20 "$WORK/xvfb.log" >&2
    fi
    exit 1
}

# ---- the program's windows on the desktop (xdotool, xwininfo, ImageMagick)

# The ids of the program's mapped top-level windows of the given size (WIDTHxHEIGHT), newest last.
pinlet_windows_sized() {
    local id
    for id in $(xdotool search --onlyvisible --class pinlet 2>/dev/null); do
        [ "$(xdotool getwindowgeometry "$id" 2>/dev/null | awk '/Geometry:/ {print $2}')" = "$1" ] && echo "$id"
    done
}

# The newest mapped window of the program of the size (WIDTHxHEIGHT); fails while there is none.
pinlet_one_window() {
    local found
    found=$(pinlet_windows_sized "$1" | tail -n 1)
    [ -n "$found" ] && echo "$found"
}

# pinlet_wait_window SIZE BOUND_MS: the id of a window of that size once one is mapped.
pinlet_wait_window() {
    pinlet_wait_until "$2" pinlet_one_window "$1" && pinlet_one_window "$1"
}

# pinlet_unmanaged_shown [EXCEPT]: a window of the program shows that the window manager does not frame (a
# menu, a notice), other than the one given.
pinlet_unmanaged_shown() {
    local id
    for id in $(xdotool search --onlyvisible --class pinlet 2>/dev/null); do
        [ "$id" != "${1:-}" ] && xwininfo -id "$id" | grep -q "Override Redirect State: yes" && return 0
    done
    return 1
}

# The position X,Y of a window's top-left corner on the screen.
pinlet_window_position() {
    xdotool getwindowgeometry "$1" | awk '/Position:/ {print $2}'
}

# pinlet_click_in WINDOW X Y [BUTTON]: a click at a point of the window's client area (left by default).
pinlet_click_in() {
    local position
    position=$(pinlet_window_position "$1") || return 1
    xdotool mousemove $((${position%,*} + $2)) $((${position#*,} + $3)) click "${4:-1}"
}

pinlet_mapped() {
    xwininfo -id "$1" 2>/dev/null | grep -q "IsViewable"
}

pinlet_unmapped() {
    ! pinlet_mapped "$1"
}

# The rows of the note list that hold links, as the y of each row's middle inside the list window: a link
# is underlined in the list's link colour, so a row is where that colour runs unbroken along a line of
# pixels (letters, smoothed at their edges, never do for long). Rows start below the 41-pixel top bar.
pinlet_link_rows() {
    import -window "$1" png:- 2>/dev/null |
        convert png:- -fill black +opaque "#896C07" -fill white -opaque "#896C07" \
            -morphology Erode rectangle:15x1 -scale "1x285!" -depth 8 txt:- |
        awk -F'[,:() ]+' 'NR > 1 && $4 > 0 && $2 > 41 { if ($2 > last + 1) print $2 - 6; last = $2 }'
}
