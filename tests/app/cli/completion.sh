#!/usr/bin/env bash
# The bash completion, driven as bash drives it on TAB: the words of a line
# split as readline splits them ("=" a word of its own), the cursor at its end.
set -uo pipefail
besedka=$1
completion=$2
data=$3
source "$(dirname "$0")/checks.sh"

work=$scratch/work
other=$scratch/other
cp -r "$data/." "$work"
cp -r "$data/." "$other"
export XDG_STATE_HOME=$scratch/state
"$besedka" kb forget 2 --yes "$other" >/dev/null 2>&1
other_stamp=$("$besedka" kb backups "$other" | awk '$1 ~ /^[0-9][0-9][0-9][0-9]-/ { print $1 }')
check "kb forget took a backup" test -n "$other_stamp"

completions=$(cd "$work" && bash --norc --noprofile -c '
    source /usr/share/bash-completion/bash_completion
    source "$1"
    shift
    compopt() { :; } # only the real TAB key has options to set
    complete_line() {
        local COMP_LINE=$1 COMP_POINT=${#1} COMP_WORDS=() COMP_CWORD COMPREPLY=() word
        local -a spaced
        read -ra spaced <<<"$1"
        for word in "${spaced[@]}"; do
            while [[ $word == *=* ]]; do
                [[ -n ${word%%=*} ]] && COMP_WORDS+=("${word%%=*}")
                COMP_WORDS+=("=")
                word=${word#*=}
            done
            [[ -n $word ]] && COMP_WORDS+=("$word")
        done
        [[ $1 == *" " ]] && COMP_WORDS+=("")
        COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
        _besedka
        echo "${1#"$program" }=> ${COMPREPLY[*]}"
    }
    program=$1
    shift
    for line in "$@"; do complete_line "$program $line"; done
' completion "$completion" "$besedka" \
    "kb re" \
    "kb restore --workdir $other " \
    "kb restore --workdir=$other " \
    "kb restore $other_stamp --workdir=$other " \
    "kb restore --workdir=$scratch/oth" \
    "kb merge $work --workdir=$other --d" \
    "--workdir=$scratch/wo" \
    "--workdir=$work --d" \
    "chat --workdir=$work " \
    "kb forget --e")
expect() {
    grep -qxF -- "$1=> $2" <<<"$completions" || {
        echo "FAIL: completing '$1' gives '$(grep -F -- "$1=>" <<<"$completions")', not '$2'"
        failures=$((failures + 1))
    }
}
expect "kb re" "restore"
expect "kb restore --workdir $other " "$other_stamp"
expect "kb restore --workdir=$other " "$other_stamp"
expect "kb restore $other_stamp --workdir=$other " "--with-log --workdir"
expect "kb restore --workdir=$scratch/oth" "$other"
expect "kb merge $work --workdir=$other --d" "--dry-run"
expect "--workdir=$scratch/wo" "$work"
expect "--workdir=$work --d" "--drive"
expect "chat --workdir=$work " "--workdir --drive --help"
expect "kb forget --e" "--expect"

finish "completion"
