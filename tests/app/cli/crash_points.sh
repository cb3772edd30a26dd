#!/usr/bin/env bash
# Every write-side system call of each write path, in turn, kills the program
# or fails (ENOSPC, EIO, EACCES by turns), through the preload library
# write_faults. After a kill every file of Base holds one of the contents the
# path gives it, the next run finishes or cleans up, kb check passes and every
# backup listed is whole; after a failure the command says so with status 1,
# or it succeeded and everything is as the run without a fault left it.
# Prints the totals: paths, crash points, error points, failures.
set -uo pipefail
besedka=$1
starter=$2
library=$3
# On a memory file system where there is one: its flushes cost nothing.
scratch=$(mktemp -d -p /dev/shm 2>/dev/null || mktemp -d)
trap 'rm -rf "$scratch"' EXIT
export BESEDKA_CLOCK=36000000 ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}verify_asan_link_order=0"
run=$scratch/run # every run works here, so that its backups are found under one name
work=$run/w
export XDG_STATE_HOME=$run/state
failures=0
crashes=0
errors=0
absorbed=0 # failed calls that the command rightly got over (a cleanup, a flush hint)
paths=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

# The starting point of every run: the starter data and ten backups.
mkdir -p "$work"
cp -r "$starter/." "$work"
for i in $(seq 10); do printf '/exit\n' | "$besedka" chat --workdir "$work" >/dev/null 2>&1; done
cp -a "$run" "$scratch/template"
oldest=$("$besedka" kb backups "$work" | sed -n 3p | cut -d' ' -f1)
printf 'ОДНА СТРОКА\nДругая строка\n' >"$scratch/lines.txt"
printf '— Чай будешь\n— Буду.\n— С мятой\n— Свежо!\n' >"$scratch/dialogues.txt"
# Another working directory to merge and import from: new tree lines and new
# lines in two reply lists, so that each is a change of several files.
other=$scratch/other
cp -r "$starter/." "$other"
"$besedka" kb teach "$scratch/dialogues.txt" "$other" >/dev/null 2>&1
"$besedka" kb from-text "$scratch/lines.txt" "$other/Base/W1.Dat" >/dev/null 2>&1
"$besedka" kb from-text "$scratch/lines.txt" "$other/Base/Pause.Dat" >/dev/null 2>&1
"$besedka" kb export "$other" >"$scratch/other.json"
fresh() {
    rm -rf "$run"
    cp -a "$scratch/template" "$run"
}
base_files() { (cd "$work/Base" && find . -maxdepth 1 -type f ! -name '.*' | sort); }
sums() { (cd "$work/Base" && base_files | xargs md5sum); }

declare -A commands=(
    [exchange]="printf 'zq один\nzq два\n/quit\n' | '$besedka' chat --workdir '$work'"
    [exit-log]="printf '/exit\n' | '$besedka' chat --workdir '$work'"
    [forget]="'$besedka' kb forget 2 --yes '$work'"
    [restore]="'$besedka' kb restore '$oldest' '$work'"
    [from-text]="'$besedka' kb from-text '$scratch/lines.txt' '$work/Base/W2.Dat'"
    [teach]="'$besedka' kb teach '$scratch/dialogues.txt' '$work'"
    [merge]="'$besedka' kb merge '$other' '$work'"
    [import]="'$besedka' kb import '$scratch/other.json' '$work'"
)
# The paths that make one change of Base: after any fault and the next run,
# Base is wholly as before or wholly as after, never a mix of files.
whole_paths=" exit-log forget restore from-text teach merge import "

# Whether every file of Base holds its content before the path or one that
# the path's run without a fault renamed into place.
files_allowed() {
    local name sum
    while read -r sum name; do
        if ! grep -qx "$sum" "$scratch/allowed/${name#./}" 2>/dev/null; then
            echo "$name"
            return 1
        fi
    done < <(sums)
}

# What must hold after any run that was cut short, once the next run is done.
after_next_run() {
    local what=$1
    "$besedka" kb forget 2 --dry-run "$work" >/dev/null 2>"$scratch/next.err" ||
        fail "$what: the next run fails: $(head -1 "$scratch/next.err")"
    if ls -A "$work/Base" | grep -q '^\..*\.[A-Za-z0-9]\{6\}$'; then
        fail "$what: temporary files left in Base"
    fi
    if ls -A "$XDG_STATE_HOME"/besedka/backups/*/.restore >/dev/null 2>&1; then
        fail "$what: a restore left unfinished"
    fi
    "$besedka" kb check "$work" >"$scratch/check.out" 2>&1 ||
        fail "$what: kb check: $(tail -1 "$scratch/check.out")"
    # Every backup listed holds every file of Base (kb from-text may have added
    # none, the others none either).
    local backup wanted
    wanted=$(cd "$scratch/template/w/Base" && base_files | wc -l)
    for backup in "$XDG_STATE_HOME"/besedka/backups/*/[0-9]*; do
        [ "$(find "$backup" -type f ! -name ".*" | wc -l)" = "$wanted" ] || fail "$what: $backup is not whole"
    done
}

# Learning changes a reply list and the tree together: a list never knows a
# phrase of the run that the tree does not.
list_ahead_of_tree() {
    local list
    "$besedka" kb lines "$work/Base/Words.Dat" | grep -qi 'zq' && return 1
    for list in W1 W2; do
        "$besedka" kb lines "$work/Base/$list.Dat" | grep -qi 'zq' && return 0
    done
    return 1
}

whole_or_none() {
    local what=$1
    if [[ "$whole_paths" == *" $path "* ]] && [ "$(sums)" != "$final" ] &&
        [ "$(sums)" != "$(cd "$scratch/template/w/Base" && base_files | xargs md5sum)" ]; then
        fail "$what: Base is a mix after the next run"
    fi
    if [ "$path" = exchange ] && list_ahead_of_tree; then
        fail "$what: a reply list knows a phrase the tree does not"
    fi
}

for path in exchange exit-log forget restore from-text teach merge import; do
    paths=$((paths + 1))
    # The run without a fault: its count of calls and every content it gives.
    fresh
    rm -rf "$scratch/allowed" "$scratch/trace"
    mkdir -p "$scratch/allowed" "$scratch/trace"
    while read -r sum name; do echo "$sum" >"$scratch/allowed/${name#./}"; done < <(sums)
    BESEDKA_FAULT_COUNT=$scratch/count BESEDKA_FAULT_TRACE=$scratch/trace LD_PRELOAD=$library \
        bash -c "${commands[$path]}" >/dev/null 2>&1
    count=$(cat "$scratch/count")
    for copy in "$scratch/trace"/*; do
        [ -f "$copy" ] || continue
        name=${copy##*/}
        name=${name#*-}
        [ -f "$scratch/allowed/$name" ] && md5sum <"$copy" | cut -d' ' -f1 >>"$scratch/allowed/$name"
    done
    final=$(sums)
    echo "$path: $count write-side calls"
    kinds=(ENOSPC EIO EACCES)
    for n in $(seq "$count"); do
        fresh
        { BESEDKA_FAULT_AT=$n BESEDKA_FAULT=crash LD_PRELOAD=$library \
            bash -c "${commands[$path]}" >/dev/null 2>&1; } 2>/dev/null
        crashes=$((crashes + 1))
        bad=$(files_allowed) || fail "$path, killed at call $n: $bad holds a content of no save"
        after_next_run "$path, killed at call $n"
        whole_or_none "$path, killed at call $n"

        fresh
        kind=${kinds[$((n % 3))]}
        BESEDKA_FAULT_AT=$n BESEDKA_FAULT=$kind LD_PRELOAD=$library \
            bash -c "${commands[$path]}" >/dev/null 2>"$scratch/err"
        status=$?
        errors=$((errors + 1))
        if [ "$status" = 0 ]; then
            absorbed=$((absorbed + 1))
            [ "$(sums)" = "$final" ] || fail "$path, $kind at call $n: success, but not all was done"
        else
            [ -s "$scratch/err" ] || fail "$path, $kind at call $n: status $status without a reason"
            bad=$(files_allowed) || fail "$path, $kind at call $n: $bad holds a content of no save"
        fi
        after_next_run "$path, $kind at call $n"
        whole_or_none "$path, $kind at call $n"
    done
done

# A lock that cannot be taken (ENOLCK) stops the write: status 1, the reason,
# nothing changed.
fresh
before=$(sums)
said=$(BESEDKA_FAULT_FLOCK=1 LD_PRELOAD=$library bash -c "${commands[exchange]}" 2>&1 >/dev/null)
status=$?
[ "$status" = 1 ] || fail "an unlockable Base: status $status, not 1"
grep -q "No locks available" <<<"$said" || fail "an unlockable Base: no reason told: $said"
[ "$(sums)" = "$before" ] || fail "an unlockable Base: files changed"

echo "crash points: $paths paths, $crashes crash points, $errors error points" \
    "($absorbed of them got over with the whole change done), $failures failures"
exit "$failures"
