#!/usr/bin/env bash
# Starts the chat window under Xvfb in a temporary copy of the starter working
# directory, types a phrase and a farewell with xdotool as a user would, and
# checks that the closing animation ended the program and that the dialogue
# log holds the exchange.
#
# Usage: window_e2e.sh BESEDKA_BINARY DATA_DIR
set -euo pipefail

besedka=$1
data=$2

work=$(mktemp -d)
xvfb_pid=
program_pid=
cleanup() {
    if [ -n "$program_pid" ] && kill -0 "$program_pid" 2>/dev/null; then
        kill "$program_pid" 2>/dev/null || true
    fi
    if [ -n "$xvfb_pid" ]; then
        kill "$xvfb_pid" 2>/dev/null || true
        wait "$xvfb_pid" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "window_e2e: $*" >&2
    if [ -f "$work/program.log" ]; then
        echo "--- program output ---" >&2
        cat "$work/program.log" >&2
    fi
    exit 1
}

mkdir -p "$work/dir" "$work/runtime"
chmod 700 "$work/runtime"
cp -r "$data/." "$work/dir/"
export XDG_RUNTIME_DIR="$work/runtime"
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=0}"
unset WAYLAND_DISPLAY QT_QPA_PLATFORM

# Xvfb picks a free display and writes its number to fd 3.
exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
exec 3>&-
for _ in $(seq 100); do
    [ -s "$work/display" ] && break
    sleep 0.1
done
[ -s "$work/display" ] || fail "Xvfb did not start"
export DISPLAY=":$(head -n1 "$work/display")"

"$besedka" --workdir "$work/dir" >"$work/program.log" 2>&1 &
program_pid=$!

window=$(timeout 60 xdotool search --sync --onlyvisible --name 'Halden' | head -n1) ||
    fail "the window did not appear"
# The start-up load and the first shake run on the first ticks.
sleep 1
xdotool windowfocus --sync "$window"

xdotool type --delay 40 "privet"
xdotool key Insert
sleep 0.5
xdotool type --delay 40 "BY"
xdotool key Insert

# The farewell runs the closing animation, which writes the log and ends the
# program.
for _ in $(seq 300); do
    kill -0 "$program_pid" 2>/dev/null || break
    sleep 0.1
done
kill -0 "$program_pid" 2>/dev/null && fail "the program did not end after the farewell"
status=0
wait "$program_pid" || status=$?
program_pid=
[ "$status" -eq 0 ] || fail "the program ended with status $status"

"$besedka" kb lines "$work/dir/Base/Log.Halden" >"$work/log.txt" ||
    fail "cannot read Base/Log.Halden"
expect_line() {
    grep -qFx -- "$1" "$work/log.txt" || {
        cat "$work/log.txt" >&2
        fail "the log lacks the line '$1'"
    }
}
expect_line "USER:     privet."
expect_line "USER:     BY."
[ "$(grep -c '^CPU:     ' "$work/log.txt")" -eq 2 ] || fail "the log should hold two replies"
[ "$(grep -cx '=\{53\}' "$work/log.txt")" -eq 1 ] || fail "the log should hold one block"
echo "window_e2e: the farewell closed the window and the log holds the exchange"
