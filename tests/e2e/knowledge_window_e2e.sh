#!/usr/bin/env bash
# Starts the knowledge window with `besedka kb browse DIR` under Xvfb with a
# window manager (openbox), on a temporary copy of the starter working
# directory, and lets a terminal chat learn a new phrase into the same DIR
# meanwhile. The window must follow: searched for, the new line is found and
# forgotten from the window (Delete, then "Да"), which removes it only if it
# is the very line the window shows. Then Ctrl+W closes the window and the
# program ends.
#
# Usage: knowledge_window_e2e.sh BESEDKA_BINARY DATA_DIR
set -euo pipefail

besedka=$1
data=$2

script=knowledge_window_e2e
# shellcheck source=../../scripts/x-session.sh
. "$(dirname "$0")/../../scripts/x-session.sh"
# shellcheck source=work_folder.sh
. "$(dirname "$0")/work_folder.sh"
cleanup() {
    stop_program
    stop_x_session
    rm -rf "$work"
}
trap cleanup EXIT
copy_starter "$data"

start_x_session "$work" 1024x768x24 || fail "the X session did not start"
# The letters typed into the search field (xdotool loses letters it has to
# borrow a key for), and "Да", which answers the confirmation by its letter.
"$(dirname "$0")/map_cyrillic_keys.sh" a be er ka de || fail "cannot map the Cyrillic keys"

"$besedka" kb browse "$work/dir" >"$work/program.log" 2>&1 &
program_pid=$!
window=$(timeout 60 xdotool search --sync --onlyvisible --name 'База знаний' | head -n1) ||
    fail "no window titled 'База знаний' appeared"
sleep 0.5
icon=$(xprop -id "$window" _NET_WM_ICON) # the program's, not the window manager's 48-pixel one
grep -q "Icon (16 x 16)" <<<"$icon" || fail "the window has no icon of its own"

tree_lines() {
    "$besedka" kb lines "$work/dir/Base/Words.Dat" | wc -l
}
before=$(tree_lines)
# A phrase the tree does not know, said after a reply, becomes a new tree line.
printf 'Привет\nАбракадабра у забора\n/exit\n' |
    "$besedka" chat --workdir "$work/dir" >"$work/chat.log" 2>&1 || fail "the chat failed"
learned=$("$besedka" kb find 'абракадабра' "$work/dir") || fail "the chat learned no tree line"
[ "$(tree_lines)" -eq $((before + 1)) ] || fail "the chat should have added one tree line"

# The window reads the files again within about a second.
sleep 1.5
xdotool windowfocus --sync "$window"
xdotool key ctrl+f
xdotool type --delay 40 "абракадабра"
sleep 1 # the search runs once typing pauses
xdotool key Tab
sleep 0.5
xdotool key Delete
confirm=
for _ in $(seq 50); do
    confirm=$(xdotool search --onlyvisible --name 'База знаний' | grep -vx "$window" | head -n1) &&
        break
    sleep 0.1
done
[ -n "$confirm" ] || fail "no confirmation appeared: the window did not show the new line"
sleep 0.3
xdotool windowfocus --sync "$confirm"
xdotool key Cyrillic_de
sleep 1

if "$besedka" kb find 'абракадабра' "$work/dir" >/dev/null 2>&1; then
    fail "the line the chat learned is still there: $learned"
fi
[ "$(tree_lines)" -eq "$before" ] || fail "forgetting should have removed exactly the new line"

xdotool windowfocus --sync "$window"
xdotool key ctrl+w
for _ in $(seq 100); do
    kill -0 "$program_pid" 2>/dev/null || break
    sleep 0.1
done
kill -0 "$program_pid" 2>/dev/null && fail "the window did not close on Ctrl+W"
status=0
wait "$program_pid" || status=$?
program_pid=
[ "$status" -eq 0 ] || fail "the program ended with status $status"
echo "knowledge_window_e2e: the window followed the chat's new line and forgot it"
