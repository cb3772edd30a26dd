#!/usr/bin/env bash
# A power loss at every moment of each write path. The preload library
# write_faults logs every call of a run without a fault that changes a file or
# a folder, with the bytes written; power_loss_states.py rebuilds from that log
# the disk states four models allow at every crash point (in order; ext4-like;
# weak POSIX; unsynced calls reordered) and, on each distinct one, runs the
# program's own recovery (the next run that takes the lock) and checks that
# every file of Base holds its content before the path or one the path wrote,
# the set of files is the one before or after, Base is wholly old or wholly
# new, kb check passes, and every backup kb backups lists as whole holds what
# was taken. Prints a line per path and model and the totals.
set -uo pipefail
besedka=$1
starter=$2
library=$3
hub_batch=$4
states=$(dirname "$0")/power_loss_states.py
# On a memory file system where there is one: its flushes cost nothing.
scratch=$(mktemp -d -p /dev/shm 2>/dev/null || mktemp -d)
trap 'rm -rf "$scratch"' EXIT
export BESEDKA_CLOCK=36000000 ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}verify_asan_link_order=0"
run=$scratch/run # every run works here, so that its backups are found under one name
export XDG_STATE_HOME=$run/state

# The starting points: the starter data with ten backups; the same with two
# backups of an older version's names more, so that three retire at once; the
# same after learning, so that a restore changes several files; no Base in the
# user's data directory yet.
mkdir -p "$run/w"
cp -r "$starter/." "$run/w"
for i in $(seq 10); do printf '/exit\n' | "$besedka" chat --workdir "$run/w" >/dev/null 2>&1; done
cp -a "$run" "$scratch/ten-backups"
folder=$(ls -d "$run"/state/besedka/backups/*/)
oldest=$("$besedka" kb backups "$run/w" | sed -n 3p | cut -d' ' -f1)
cp -a "$folder/$oldest" "$folder/2020-01-01_00-00-00.001"
cp -a "$folder/$oldest" "$folder/2020-01-01_00-00-00.002"
cp -a "$run" "$scratch/twelve-backups"
rm -rf "$run"
cp -a "$scratch/ten-backups" "$run"
printf 'zq пять\nzq шесть\n/quit\n' | "$besedka" chat --workdir "$run/w" >/dev/null 2>&1
before_learning=$("$besedka" kb backups "$run/w" | sed -n 3p | cut -d' ' -f1)
cp -a "$run" "$scratch/learned"
rm -rf "$run"
mkdir -p "$run/here" "$run/state"
cp -a "$run" "$scratch/no-base"

# What import and merge bring: a knowledge base that learned other lines.
cp -a "$scratch/ten-backups" "$scratch/other"
printf 'zq другое\nzq третье\n/quit\n' |
    XDG_STATE_HOME=$scratch/other/state "$besedka" chat --workdir "$scratch/other/w" >/dev/null 2>&1
"$besedka" kb export "$scratch/other/w" >"$scratch/other.json"
printf 'ОДНА СТРОКА\nДругая строка\n' >"$scratch/lines.txt"
printf '— Чай будешь\n— Буду.\n— С мятой\n— Свежо!\n' >"$scratch/dialogues.txt"

w="'$run/w'"
declare -A commands=(
    [exchange]="printf 'zq один\nzq два\n/quit\n' | '$besedka' chat --workdir $w"
    [exit-log]="printf '/exit\n' | '$besedka' chat --workdir $w"
    [first-start]="cd '$run/here' && printf '/exit\n' | XDG_DATA_HOME='$run/data' BESEDKA_STARTER_DATA='$starter' '$besedka' chat"
    [forget]="'$besedka' kb forget 2 --yes $w"
    [restore]="'$besedka' kb restore '$before_learning' $w"
    [teach]="'$besedka' kb teach '$scratch/dialogues.txt' $w"
    [import]="'$besedka' kb import '$scratch/other.json' $w"
    [merge]="'$besedka' kb merge '$scratch/other/w' $w"
    [from-text]="'$besedka' kb from-text '$scratch/lines.txt' '$run/w/Base/W2.Dat'"
    [retirement]="printf '/exit\n' | '$besedka' chat --workdir $w"
    [batch]="printf 'a\tпривет\nb\tкак дела?\nc\tпривет\n\na\tzq один\nb\tzq два\nc\tпока\n' | '$hub_batch' --leave-open '$run/w'"
)
declare -A templates=([retirement]=twelve-backups [restore]=learned [first-start]=no-base)
paths=(${BESEDKA_POWER_LOSS_PATHS:-exchange exit-log first-start forget restore teach import merge from-text retirement batch})

failures=0
explored=0
for path in "${paths[@]}"; do
    template=$scratch/${templates[$path]:-ten-backups}
    workdir=w
    recover="'$besedka' kb forget 2 --dry-run '$run/w'"
    if [ "$path" = first-start ]; then
        workdir=data/besedka
        recover="cd '$run/here' && XDG_DATA_HOME='$run/data' BESEDKA_STARTER_DATA='$starter' '$besedka' kb forget 2 --dry-run"
    fi
    rm -rf "$run" "$scratch/log" "$scratch/log.data"
    cp -a "$template" "$run"
    BESEDKA_FAULT_LOG=$scratch/log LD_PRELOAD=$library bash -c "${commands[$path]}" >/dev/null 2>&1
    report=$(python3 "$states" "$scratch/log" "$run" "$template" "$path" "$workdir" "$recover" \
        "$besedka" $([ "$path" = first-start ] && echo "$starter"))
    echo "$report"
    counted=$(sed -n 's/^[^ ]* [a-z0-9]*: [0-9]* states, \([0-9]*\) failures$/\1/p' <<<"$report" |
        awk '{ s += $1 } END { print s + 0 }')
    explored=$((explored + $(sed -n 's/.*: [0-9]* calls, \([0-9]*\) distinct states checked$/\1/p' <<<"$report")))
    failures=$((failures + counted))
done

echo "power loss: ${#paths[@]} paths, $explored distinct states, $failures failures"
exit "$failures"
