# Sourced (not run) by the scripts that drive the window: an X server of its
# own (Xvfb) with a window manager (openbox) on it, and a session bus of its
# own, so that two runs side by side (or a desktop's session) never meet.

# start_session_bus: starts a D-Bus session bus for this run alone, exports
# DBUS_SESSION_BUS_ADDRESS and sets bus_pid for stop_session_bus. Returns 1,
# saying why on stderr, when it does not start.
start_session_bus() {
    local address=
    bus_pid=
    {
        read -r address
        read -r bus_pid
    } < <(dbus-daemon --session --fork --print-address=1 --print-pid=1)
    if [ -z "$address" ] || [ -z "$bus_pid" ]; then
        echo "the session bus did not start" >&2
        return 1
    fi
    export DBUS_SESSION_BUS_ADDRESS=$address
}

stop_session_bus() {
    if [ -n "${bus_pid:-}" ]; then
        kill "$bus_pid" 2>/dev/null || true
    fi
}

# start_x_session WORK SCREEN [FBDIR]: starts a session bus, then Xvfb on a
# free display with the screen SCREEN (WIDTHxHEIGHTxDEPTH) and openbox on it,
# with their logs in WORK; exports DISPLAY and DBUS_SESSION_BUS_ADDRESS and
# sets xvfb_pid, wm_pid and bus_pid for stop_x_session. With
# FBDIR the screen is also the file FBDIR/Xvfb_screen0 (XWD), which a copy
# catches whole at any instant. Returns 1, saying why on stderr, when either
# does not start.
start_x_session() {
    local work=$1 screen=$2 fbdir=()
    [ -n "${3:-}" ] && fbdir=(-fbdir "$3")
    start_session_bus || return 1
    # Xvfb writes the number of the display it took to fd 3; -noreset keeps a
    # keyboard map set by a client (xmodmap) after that client disconnects.
    exec 3>"$work/display"
    Xvfb -displayfd 3 -screen 0 "$screen" "${fbdir[@]}" -nolisten tcp -noreset \
        >"$work/xvfb.log" 2>&1 &
    xvfb_pid=$!
    exec 3>&-
    for _ in $(seq 100); do
        [ -s "$work/display" ] && break
        sleep 0.1
    done
    [ -s "$work/display" ] || {
        echo "Xvfb did not start" >&2
        return 1
    }
    export DISPLAY=":$(head -n1 "$work/display")"
    openbox --sm-disable >"$work/openbox.log" 2>&1 &
    wm_pid=$!
    for _ in $(seq 100); do
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && return 0
        sleep 0.1
    done
    echo "the window manager did not start" >&2
    return 1
}

stop_x_session() {
    if [ -n "${wm_pid:-}" ]; then
        kill "$wm_pid" 2>/dev/null || true
    fi
    if [ -n "${xvfb_pid:-}" ]; then
        kill "$xvfb_pid" 2>/dev/null || true
        wait "$xvfb_pid" 2>/dev/null || true
    fi
    stop_session_bus
}
