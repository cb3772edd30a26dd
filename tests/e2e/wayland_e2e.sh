#!/usr/bin/env bash
# Starts the chat window on a headless Wayland compositor (weston) that runs an
# X server for X clients (Xwayland), with QT_QPA_PLATFORM unset as on a Wayland
# desktop. Checks that the window went through the X server (where it can place
# itself), that an undo's shake ends with the window where it stood, and that a
# farewell ends the program with the log written; then that without DISPLAY the
# program says once that the window cannot move itself.
#
# Exits with 77 (skipped, with the reason on stderr) when the compositor or its
# X server cannot start here.
#
# Usage: wayland_e2e.sh BESEDKA_BINARY DATA_DIR
set -euo pipefail

besedka=$1
data=$2

# shellcheck source=../../scripts/x-session.sh
. "$(dirname "$0")/../../scripts/x-session.sh"
work=$(mktemp -d)
weston_pid=
program_pid=
cleanup() {
    for pid in $program_pid $weston_pid; do
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    stop_session_bus
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "wayland_e2e: $*" >&2
    for log in program.log weston.log; do
        if [ -f "$work/$log" ]; then
            echo "--- $log ---" >&2
            tail -n 30 "$work/$log" >&2
        fi
    done
    exit 1
}
skip() {
    echo "wayland_e2e: SKIPPED: $*" >&2
    exit 77
}

command -v weston >/dev/null || skip "weston is not installed"
command -v Xwayland >/dev/null || skip "Xwayland is not installed"

mkdir -p "$work/dir" "$work/runtime"
chmod 700 "$work/runtime"
cp -r "$data/." "$work/dir/"
export XDG_RUNTIME_DIR="$work/runtime"
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=0}"
unset QT_QPA_PLATFORM DISPLAY WAYLAND_DISPLAY
start_session_bus || fail "no session bus of its own"

socket=besedka-e2e
weston --backend=headless-backend.so --xwayland --socket="$socket" --width=1024 --height=768 \
    --idle-time=0 --log="$work/weston.log" >"$work/weston.err" 2>&1 &
weston_pid=$!
display=
for _ in $(seq 100); do
    display=$(sed -n 's/.*xserver listening on display \(:[0-9]*\).*/\1/p' "$work/weston.log" 2>/dev/null || true)
    [ -n "$display" ] && [ -S "$XDG_RUNTIME_DIR/$socket" ] && break
    kill -0 "$weston_pid" 2>/dev/null || break
    sleep 0.1
done
if [ -z "$display" ] || ! kill -0 "$weston_pid" 2>/dev/null; then
    cat "$work/weston.err" "$work/weston.log" >&2 2>/dev/null || true
    skip "the headless compositor with Xwayland did not start"
fi
export WAYLAND_DISPLAY="$socket" DISPLAY="$display"

"$besedka" --workdir "$work/dir" >"$work/program.log" 2>&1 &
program_pid=$!

# Only an X client shows up on the X server: the program chose it by itself.
window=
for _ in $(seq 300); do
    window=$(xdotool search --onlyvisible --name 'Halden' 2>/dev/null | head -n1) && [ -n "$window" ] && break
    kill -0 "$program_pid" 2>/dev/null || fail "the program ended early"
    sleep 0.1
done
[ -n "$window" ] || fail "the window did not appear on the compositor's X server"
grep -q "cannot move itself" "$work/program.log" && fail "the program said it cannot move"

position() {
    eval "$(xdotool getwindowgeometry --shell "$window")"
    echo "$X,$Y"
}
# The start-up shake runs on the first ticks; wait until it is over.
sleep 2
before=$(position)

# The headless compositor has no seat, so keys go to the window directly.
# Ctrl+Z (undo) shakes the window, which then comes back where it stood.
xdotool key --window "$window" ctrl+z
sleep 2
after=$(position)
[ "$after" = "$before" ] || fail "after the shake the window stands at $after, not $before"

xdotool type --window "$window" --delay 40 "BY"
xdotool key --window "$window" Insert
for _ in $(seq 300); do
    kill -0 "$program_pid" 2>/dev/null || break
    sleep 0.1
done
kill -0 "$program_pid" 2>/dev/null && fail "the program did not end after the farewell"
status=0
wait "$program_pid" || status=$?
program_pid=
[ "$status" -eq 0 ] || fail "the program ended with status $status"
"$besedka" kb lines "$work/dir/Base/Log.Halden" | grep -qFx "USER:     BY." ||
    fail "the log lacks the farewell"

# Without DISPLAY the window is a Wayland client; the program says so once.
unset DISPLAY
"$besedka" --workdir "$work/dir" >"$work/program.log" 2>&1 &
program_pid=$!
sleep 3
[ "$(grep -c "cannot move itself" "$work/program.log")" -eq 1 ] ||
    fail "without DISPLAY the program should say once that the window cannot move"
echo "wayland_e2e: the window went through Xwayland, shook in place and ended on a farewell"
