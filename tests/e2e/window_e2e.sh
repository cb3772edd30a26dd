#!/usr/bin/env bash
# Starts the chat window under Xvfb with a window manager (openbox) in a
# temporary copy of the starter working directory and drives it with xdotool
# as a user would: a phrase typed on the Latin layout, converted with Ctrl+S
# and sent with Insert, its reply taken back with Ctrl+Z (the window shakes
# and must stand where it stood); the editor dialog and the about box opened
# from the menus and closed again; two self-talk ticks in Cpu\Cpu mode; then a
# farewell. Checks that each window has the program's icon, that the
# closing animation ended the program after a drift the user can see, with no
# stale copy of the status bar left under it at any step, that the dialogue
# log holds the dialogue and that the exchange file holds the last reply; and
# that nothing was said of the missing sound server. Then, while another
# program holds the lock of Base, two more runs: Insert shows the busy text,
# the window still answers a screen reader on an accessibility bus of its own
# and closes at once, writing nothing; and a phrase sent
# during the wait, with one sent behind it, both get their replies in order
# once the holder ends, and the new one is learned.
#
# Usage: window_e2e.sh BESEDKA_BINARY DATA_DIR
set -euo pipefail

besedka=$1
data=$2

script=window_e2e
# shellcheck source=../../scripts/x-session.sh
. "$(dirname "$0")/../../scripts/x-session.sh"
# shellcheck source=work_folder.sh
. "$(dirname "$0")/work_folder.sh"
cleanup() {
    stop_program
    [ -n "${wm_pid:-}" ] && kill -CONT "$wm_pid" 2>/dev/null
    [ -z "${launcher_pid:-}" ] || kill "$launcher_pid" 2>/dev/null || true
    stop_x_session
    rm -rf "$work"
}
trap cleanup EXIT
copy_starter "$data"

mkdir -p "$work/screen" "$work/frames"
start_x_session "$work" 1024x768x24 "$work/screen" || fail "the X session did not start"
# The menu accelerators used below: Н(астройки), Ре(д)актор, С(п)равка, (О) программе.
"$(dirname "$0")/map_cyrillic_keys.sh" en de pe o || fail "cannot map the Cyrillic keys"

start_window() { # DIR: starts the program there and focuses its window
    "$besedka" --workdir "$1" >"$work/program.log" 2>&1 &
    program_pid=$!
    window=$(timeout 60 xdotool search --sync --onlyvisible --name 'Halden' | head -n1) ||
        fail "the window did not appear in $1"
    # The start-up load and the first shake run on the first ticks.
    sleep 1
    xdotool windowfocus --sync "$window"
}
start_window "$work/dir"

# Menus open with Alt and their accelerator letter (Cyrillic keysyms).
open_settings() {
    xdotool key alt+Cyrillic_en
    sleep 0.3
}
window_gone() { # NAME: waits until no visible window has that name
    for _ in $(seq 50); do
        xdotool search --onlyvisible --name "$1" >/dev/null 2>&1 || return 0
        sleep 0.1
    done
    return 1
}
alive() {
    kill -0 "$program_pid" 2>/dev/null || fail "the program ended early"
}

position() {
    eval "$(xdotool getwindowgeometry --shell "$window")"
    echo "$X,$Y"
}
# Where the window stands once it has stopped moving (half a second alike).
settled_position() {
    local last= same=0 now
    for _ in $(seq 100); do
        now=$(position)
        if [ "$now" = "$last" ]; then
            same=$((same + 1))
            [ "$same" -ge 5 ] && break
        else
            same=0
            last=$now
        fi
        sleep 0.1
    done
    echo "$last"
}
# Whether the window's frame stands in the middle of the screen (1024x768,
# no panels), give or take a pixel of rounding.
frame_centred() {
    local frame info x y w h
    frame=$(xwininfo -children -id "$window" | sed -n 's/^ *Parent window id: \(0x[0-9a-f]*\).*/\1/p')
    info=$(xwininfo -id "$frame")
    x=$(sed -n 's/^ *Absolute upper-left X: *//p' <<<"$info")
    y=$(sed -n 's/^ *Absolute upper-left Y: *//p' <<<"$info")
    w=$(sed -n 's/^ *Width: *//p' <<<"$info")
    h=$(sed -n 's/^ *Height: *//p' <<<"$info")
    [ $(((2 * x + w - 1024) ** 2)) -le 4 ] && [ $(((2 * y + h - 768) ** 2)) -le 4 ]
}
# The program centres its window again once the window manager has framed it:
# on a busy machine that may come seconds after the window appeared.
for _ in $(seq 300); do
    frame_centred && break
    sleep 0.1
done
frame_centred || fail "the window's frame never stood in the middle of the screen"
centred=$(settled_position)

# Each window carries the program's icon (its sizes from 16 to 128 pixels;
# openbox gives a window without one a single 48-pixel icon).
has_icon() { # WINDOW NAME
    local icon
    icon=$(xprop -id "$1" _NET_WM_ICON)
    grep -q "Icon (16 x 16)" <<<"$icon" || fail "$2 has no icon of its own"
}
has_icon "$window" "the main window"

# "ghbdtn" typed on the Latin layout becomes "привет" with Ctrl+S.
xdotool type --delay 40 "ghbdtn"
xdotool key ctrl+s
sleep 0.3
xdotool key Insert
sleep 0.5
# Undo takes the reply back and shakes the window, which comes back to the
# place it was centred at start, frame included.
xdotool key ctrl+z
sleep 0.3
after_shake=$(settled_position)
[ "$after_shake" = "$centred" ] || fail "after the shake the window stands at $after_shake, not $centred"

# The editor: opened from the menu, the self-talk interval set to 3000 ms,
# closed with "Хорошо" (Tab to the interval, Tab to the button). Its focus
# timer first moves the focus 2 s after it opens, long after these keys.
open_settings
xdotool key Cyrillic_de
editor=$(timeout 10 xdotool search --sync --onlyvisible --name 'Редактор' | head -n1) ||
    fail "the editor did not open"
has_icon "$editor" "the editor"
sleep 0.3
xdotool key Tab ctrl+a
xdotool type --delay 20 "3000"
xdotool key Tab space
window_gone 'Редактор' || fail "the editor did not close"
alive
# Without a window manager the keyboard focus does not come back by itself.
xdotool windowfocus --sync "$window"
sleep 0.3

# The about box: opened from the help menu, its history unfolded, closed with
# a click on the version button.
xdotool key alt+Cyrillic_pe
sleep 0.3
xdotool key Cyrillic_o
about=$(timeout 10 xdotool search --sync --onlyvisible --name 'О программе' | head -n1) ||
    fail "the about box did not open"
has_icon "$about" "the about box"
sleep 0.3
xdotool key space
sleep 0.3
eval "$(xdotool getwindowgeometry --shell "$about")"
[ "$HEIGHT" -gt 200 ] || fail "the history did not unfold (height $HEIGHT)"
xdotool mousemove --window "$about" 300 40 click 1
window_gone 'О программе' || fail "the about box did not close"
alive
xdotool windowfocus --sync "$window"

# Cpu\Cpu: the settings menu, down to "Режим", its submenu, "C&pu\Cpu".
# The first tick comes after 3 s, the second at the editor's 3000 ms after
# it; each writes the exchange file anew (a new file renamed into place), so
# after the second write there are 3 s to go back to Cpu\User before a third.
exchange_file="$work/dir/D/Txt.Dat"
writes_seen=0
last_inode=$(stat -c %i "$exchange_file")
open_settings
xdotool key Down Down Down Down Down Down Down Right
sleep 0.3
xdotool key p
for _ in $(seq 300); do
    inode=$(stat -c %i "$exchange_file" 2>/dev/null || echo "$last_inode")
    if [ "$inode" != "$last_inode" ]; then
        writes_seen=$((writes_seen + 1))
        last_inode=$inode
    fi
    [ "$writes_seen" -ge 2 ] && break
    sleep 0.1
done
[ "$writes_seen" -ge 2 ] || fail "self-talk did not write the exchange file twice"
open_settings
xdotool key Down Down Down Down Down Down Down Right
sleep 0.3
xdotool key c
sleep 0.5
alive

xdotool type --delay 40 "BY"
sleep 0.3
# The window's place on the screen (xdotool counts the frame's caption twice).
geometry() { xwininfo -id "$window" | awk -v f="$1" '$0 ~ f { print $NF }'; }
win_x=$(geometry 'Absolute upper-left X') win_y=$(geometry 'Absolute upper-left Y')
win_w=$(geometry 'Width:') win_h=$(geometry 'Height:')
cp "$work/screen/Xvfb_screen0" "$work/before.xwd"
xdotool key Insert
farewell_at=$(date +%s%N)

# The farewell runs the closing animation, which writes the log and ends the
# program after a drift of about 1.25 s. The screen is caught as it drifts;
# twice while the window manager is held up for a moment, as a busy one is,
# so that the window is asked to shrink and not yet shrunk.
sleep 0.15
kill -STOP "$wm_pid"
for frames in 1 2; do
    sleep 0.1
    cp "$work/screen/Xvfb_screen0" "$work/frames/$frames.xwd"
done
kill -CONT "$wm_pid"
for _ in $(seq 600); do
    kill -0 "$program_pid" 2>/dev/null || break
    if [ "$frames" -lt 20 ]; then
        frames=$((frames + 1))
        cp "$work/screen/Xvfb_screen0" "$work/frames/$frames.xwd"
    else
        sleep 0.01
    fi
done
kill -0 "$program_pid" 2>/dev/null && fail "the program did not end after the farewell"
closing_ms=$((($(date +%s%N) - farewell_at) / 1000000))
[ "$closing_ms" -ge 800 ] && [ "$closing_ms" -le 3000 ] ||
    fail "the program ended $closing_ms ms after the farewell, not 0.8 to 3 s"
status=0
wait "$program_pid" || status=$?
program_pid=
[ "$status" -eq 0 ] || fail "the program ended with status $status"

# Each step moves the status bar up with the window's bottom edge; a step
# painted before the window manager shrank the window leaves the old status
# bar's lower rows under the new one. One row of those, from the status bar
# as it stood, must never show twice on the screen.
# The window only moves up and left: the screen above and left of its lower
# right corner is enough.
seen_w=$((win_x + win_w)) seen_h=$((win_y + win_h))
screen_rows() { # XWD: one line of hex pixels per screen row
    convert "xwd:$1" -crop "${seen_w}x${seen_h}+0+0" -depth 8 rgb:- |
        od -An -v -tx1 -w$((seen_w * 3)) | tr -d ' '
}
screen_rows "$work/before.xwd" >"$work/before.txt"
status_row= most=0
for up in $(seq 1 8); do # the rows a stale copy leaves, the lowest 8
    row=$(sed -n "$((win_y + win_h - up + 1))p" "$work/before.txt")
    row=${row:$(((win_x + 2) * 6)):$((140 * 6))} # panel 0 "Загрузка окончена"
    colours=$(fold -w6 <<<"$row" | sort -u | wc -l)
    [ "$colours" -gt "$most" ] && most=$colours status_row=$row
done
echo "window_e2e: $frames screens caught during the drift"
[ "$most" -gt 8 ] || fail "no row of the status bar found at $win_x,$win_y (height $win_h)"
for frame in $(seq "$frames"); do
    copies=$(screen_rows "$work/frames/$frame.xwd" | grep -cF "$status_row" || true)
    if [ "$copies" -gt 1 ]; then
        shot=$(mktemp --suffix=.png "${TMPDIR:-/tmp}/window_e2e-drift-XXXXXX") # one per run
        convert "xwd:$work/frames/$frame.xwd" "$shot" 2>/dev/null || true
        fail "a screen caught during the drift shows the status bar $copies times ($shot)"
    fi
done

"$besedka" kb lines "$work/dir/Base/Log.Halden" >"$work/log.txt" ||
    fail "cannot read Base/Log.Halden"
expect_line() {
    grep -qFx -- "$1" "$work/log.txt" || {
        cat "$work/log.txt" >&2
        fail "the log lacks the line '$1'"
    }
}
expect_line "USER:     Привет."
expect_line "USER:     BY."
cpu_lines=$(grep -c '^CPU:     ' "$work/log.txt")
[ "$cpu_lines" -eq 3 ] || fail "the log should hold three replies (one was undone), not $cpu_lines"
[ "$(grep -cx '=\{53\}' "$work/log.txt")" -eq 1 ] || fail "the log should hold one block"

# Self-talk read the starter exchange file and wrote each reply back: the file
# holds the last self-talk reply (the second of the three) and CR LF.
last_self_talk_reply=$(grep '^CPU:     ' "$work/log.txt" | sed -n 2p | cut -c10-)
exchange=$("$besedka" kb lines "$work/dir/D/Txt.Dat") || fail "cannot read D/Txt.Dat"
[ "$exchange" = "$last_self_talk_reply" ] ||
    fail "D/Txt.Dat holds '$exchange', not the last self-talk reply '$last_self_talk_reply'"
[ "$(wc -l <"$work/dir/D/Txt.Dat")" -eq 1 ] || fail "D/Txt.Dat should hold one line"
[ "$(tail -c 2 "$work/dir/D/Txt.Dat" | od -An -tx1 | tr -d ' ')" = "0d0a" ] ||
    fail "D/Txt.Dat should end in CR LF"
expect_line "USER:     Привет! Как дела?"
# Without a sound server the program plays nothing and says nothing of it.
! grep -q "PulseAudio\|pa_context" "$work/program.log" || fail "the sound backend spoke up"
echo "window_e2e: conversion, dialogs, self-talk and the farewell all reached the log"

# The lock of Base held by another program for 8 s from just before Insert.
busy="$work/busy"
mkdir -p "$busy"
cp -r "$data/." "$busy/"
start_in_busy() {
    start_window "$busy"
    flock -x "$busy/Base" sleep 8 &
    holder=$!
    while flock -n "$busy/Base" true; do sleep 0.05; done
}
base_state() { (cd "$busy/Base" && find . -type f -exec md5sum {} + | sort); }

# An accessibility bus on the test's own session bus, which the window joins
# as it does for a screen reader.
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
/usr/libexec/at-spi-bus-launcher --launch-immediately >"$work/a11y.log" 2>&1 &
launcher_pid=$!
a11y=
for _ in $(seq 100); do
    a11y=$(gdbus call --session --dest org.a11y.Bus --object-path /org/a11y/bus \
        --method org.a11y.Bus.GetAddress 2>/dev/null | sed -n "s/^('\(.*\)',)$/\1/p")
    [ -n "$a11y" ] && break
    sleep 0.1
done
[ -n "$a11y" ] || fail "the accessibility bus did not start"
# Whether the program's accessible root tells its name within a second: only
# a window whose event loop runs answers.
answers_screen_reader() {
    local app
    for app in $(gdbus call --timeout 2 --address "$a11y" --dest org.a11y.atspi.Registry \
        --object-path /org/a11y/atspi/accessible/root \
        --method org.a11y.atspi.Accessible.GetChildren 2>/dev/null | grep -o "':[0-9.]*'" | tr -d "'"); do
        timeout 3 gdbus call --timeout 1 --address "$a11y" --dest "$app" \
            --object-path /org/a11y/atspi/accessible/root \
            --method org.freedesktop.DBus.Properties.Get org.a11y.atspi.Accessible Name \
            2>/dev/null | grep -q besedka && return 0
    done
    return 1
}
# The first status panel: the window's bottom left corner.
status_panel() {
    local x y height
    x=$(geometry 'Absolute upper-left X') y=$(geometry 'Absolute upper-left Y')
    height=$(geometry 'Height:')
    convert "xwd:$work/screen/Xvfb_screen0" -crop "140x12+$((x + 4))+$((y + height - 15))" \
        -depth 8 rgb:- | md5sum
}

start_in_busy
before_wait=$(base_state)
panel_before=$(status_panel)
xdotool type --delay 40 "Qwertyzz"
xdotool key Insert
busy_shown=
for _ in $(seq 60); do
    kill -0 "$holder" 2>/dev/null || break
    [ "$(status_panel)" != "$panel_before" ] && busy_shown=yes && break
    sleep 0.2
done
[ -n "$busy_shown" ] || fail "no busy text while another program held Base"
answers_screen_reader || fail "the waiting window did not answer the accessibility bus"
kill -0 "$holder" 2>/dev/null || fail "the holder ended before the window was closed"
xdotool key alt+F4
closing_at=$(date +%s%N)
window_gone 'Halden' || fail "the waiting window did not close"
closing_ms=$((($(date +%s%N) - closing_at) / 1000000))
[ "$closing_ms" -le 1000 ] || fail "the waiting window took $closing_ms ms to close"
for _ in $(seq 200); do kill -0 "$program_pid" 2>/dev/null || break; sleep 0.1; done
status=0
wait "$program_pid" || status=$?
program_pid=
[ "$status" -eq 0 ] || fail "the window closed while waiting ended with status $status"
wait "$holder"
[ "$(base_state)" = "$before_wait" ] || fail "the window closed while waiting changed Base"

start_in_busy
xdotool type --delay 40 "Qwertyzz"
xdotool key Insert ctrl+a
xdotool type --delay 40 "Asdfghjj"
xdotool key Insert
wait "$holder"
learned() { "$besedka" kb lines "$busy/Base/Words.Dat" | grep -c "^Asdfghjj\\.^"; }
for _ in $(seq 100); do
    [ "$(learned)" -eq 1 ] && break
    sleep 0.2
done
[ "$(learned)" -eq 1 ] || fail "the phrase sent behind another during the wait was not learned"
xdotool type --delay 40 "BY"
xdotool key Insert
for _ in $(seq 200); do kill -0 "$program_pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$program_pid" 2>/dev/null && fail "the program did not end after the farewell"
program_pid=
"$besedka" kb lines "$busy/Base/Log.Halden" | grep -e '^USER:' -e '^CPU:' >"$work/log.txt" ||
    fail "cannot read the log of the busy directory"
[ "$(sed -n '1p;3p;5p' "$work/log.txt" | tr '\n' '|')" = \
    "USER:     Qwertyzz.|USER:     Asdfghjj.|USER:     BY.|" ] ||
    fail "the log of the waiting run is not the three phrases in order: $(cat "$work/log.txt")"
[ "$(grep -c '^CPU:' "$work/log.txt")" -eq 3 ] || fail "the waiting run lacks a reply in its log"
echo "window_e2e: the window waited for Base without stopping, closed at once, then caught up"
