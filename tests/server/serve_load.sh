#!/usr/bin/env bash
# 64 conversations of 100 turns each through the server, mixing phrases the
# tree answers with new ones, while `besedka chat` talks and `kb forget`
# removes a line on the same working directory: every turn answered as
# learned has its line in the tree afterwards, each conversation's new
# phrases hang one under the other, and `kb check` passes.
set -uo pipefail
besedka=$1
data=$2
conversations=${3:-64}
turns=${4:-100}
here=$(dirname "$0")
source "$here/serve_lib.sh"
export XDG_STATE_HOME=$scratch/state
work=$scratch/work
cp -r "$data/." "$work"

start_server load --rate 0 "$work"
check "the server started" test -n "$load_url"

# The chat alongside: a phrase every tenth of a second, some of them new.
for i in $(seq 30); do
    if ((i % 2)); then echo "Чат говорит $i"; else echo "Привет"; fi
    sleep 0.1
done | "$besedka" chat --workdir "$work" >"$scratch/chat.out" 2>"$scratch/chat.err" &
chat_pid=$!

# kb forget alongside: the starter line "ХАХА", which no conversation says,
# removed by the command kb find gives (refused, and tried again, when a
# turn moved it in between: the conversations put lines in mid-tree, so its
# number changes often).
(
    sleep 0.5
    for _ in $(seq 300); do
        "$besedka" kb find ХАХА --forget-command "$work" 2>"$scratch/forget.cmd" >/dev/null || break
        command=$(sed -n 's/^besedka kb forget/kb forget/p' "$scratch/forget.cmd")
        [ -n "$command" ] || break
        if eval "\"\$besedka\" $command --yes \"\$work\"" >/dev/null 2>>"$scratch/forget.err"; then
            touch "$scratch/forgot"
            break
        fi
        sleep 0.1
    done
) &
forget_pid=$!

python3 "$here/load.py" "$load_url" "$conversations" "$turns" "$scratch/results.json"
wait "$chat_pid"
check "the chat alongside ended well" test $? = 0
wait "$forget_pid"
stop_server "$load_pid"
check "the server stopped cleanly" test "$stop_status" = 0

"$besedka" kb lines "$work/Base/Words.Dat" >"$scratch/tree.txt"
# A forget refused every time (its line moved under it) leaves the line; one
# that said it removed it must have.
if [ -e "$scratch/forgot" ]; then
    check "kb forget took its line" test -z "$(grep '^ХАХА^' "$scratch/tree.txt")"
fi
check "the chat's own phrases were learned" grep -q "^_*ЧАТ ГОВОРИТ" "$scratch/tree.txt"
answered=$(python3 -c 'import json, sys; print(sum(len(t) for t in json.load(open(sys.argv[1])).values()))' \
    "$scratch/results.json")
check "every turn was answered ($answered)" test "$answered" = $((conversations * turns))
check "every learned turn is in the tree, under its own conversation's line" \
    python3 "$here/check_learned.py" "$scratch/tree.txt" "$scratch/results.json"
check "kb check passes" "$besedka" kb check "$work"

finish serve_load
