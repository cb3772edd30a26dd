#!/usr/bin/env bash
# kill -9 of the server at random moments under load, restarted each time:
# no line whose turn was answered as learned is missing afterwards, no file
# is torn (kb check loads them all), and no temporary file is left once the
# next run has taken the lock.
set -uo pipefail
besedka=$1
data=$2
kills=${3:-50}
here=$(dirname "$0")
source "$here/serve_lib.sh"
export XDG_STATE_HOME=$scratch/state
work=$scratch/work
cp -r "$data/." "$work"

for round in $(seq "$kills"); do
    start_server killed --rate 0 "$work"
    if [ -z "$killed_url" ]; then
        check "round $round: the server restarted after a kill" false
        kill -9 "$killed_pid" 2>/dev/null
        continue
    fi
    rm -f "$scratch/answering"
    LOAD_ANSWERING=$scratch/answering \
        python3 "$here/load.py" "$killed_url" 8 1000 "$scratch/round$round.json" "r${round}c" &
    load=$!
    for _ in $(seq 100); do
        [ -e "$scratch/answering" ] && break
        sleep 0.05
    done
    sleep "0.$((RANDOM % 5))$((RANDOM % 10))"
    kill -9 "$killed_pid"
    wait "$killed_pid" 2>/dev/null
    wait "$load"
done

# The next run takes the lock and finishes or drops what a kill cut short.
start_server after --rate 0 "$work"
stop_server "$after_pid"
check "the run after the kills stops cleanly" test "$stop_status" = 0

"$besedka" kb lines "$work/Base/Words.Dat" >"$scratch/tree.txt"
answered=$(python3 -c '
import json, sys
print(sum(1 for path in sys.argv[1:] for turns in json.load(open(path)).values()
          for turn in turns if turn[3]))' "$scratch"/round*.json)
check "turns were answered as learned before the kills ($answered)" test "$answered" -gt "$kills"
check "every turn answered as learned kept its line" \
    python3 "$here/check_learned.py" "$scratch/tree.txt" "$scratch"/round*.json
check "kb check loads every file" "$besedka" kb check "$work"
check "no temporary file is left in Base" test -z "$(ls -A "$work/Base" | grep '^\.')"

finish serve_kills
