# bash completion for besedka                              -*- shell-script -*-
#
# The commands, options and arguments come from the program's own help: each
# usage line "  besedka [SUBCOMMAND...] ARGUMENTS" or "  kb SUBCOMMAND
# ARGUMENTS" there, its summary after two spaces or on the next line, says
# what may follow, so new commands complete without a change here. An argument
# is completed by its name: a directory for WORKDIR and DIR, a backup stamp for
# STAMP (from "besedka kb backups" of the working directory named on the line),
# nothing for TEXT, PHRASE, REPLY, N and ADDR:PORT, a file otherwise. --workdir DIR and
# --workdir=DIR name the working directory wherever WORKDIR may.

# Reads the usage lines of `PROGRAM [kb] --help` into the caller's arrays:
# _besedka_paths (the subcommand words of each line, "" for none) and
# _besedka_argument_lists (the arguments of each line).
_besedka_read_usage()
{
    local program=$1 line path arguments word
    local -a words
    shift
    _besedka_paths=() _besedka_argument_lists=()
    while IFS= read -r line; do
        if [[ $line == "  besedka"* ]]; then
            line=${line#  besedka}
        elif [[ $line != "  kb "* ]]; then
            continue
        fi
        read -ra words <<<"$line"
        path="" arguments=""
        for word in "${words[@]}"; do
            if [[ -z $arguments && $word =~ ^[a-z][a-z-]*$ ]]; then
                path+="${path:+ }$word"
            elif [[ $word =~ ^\[?(-|[A-Z]) ]]; then
                arguments+="${arguments:+ }$word"
            else
                break # the summary
            fi
        done
        _besedka_paths+=("$path")
        _besedka_argument_lists+=("$arguments")
    done < <("$program" "$@" --help 2>/dev/null)
}

# The backup stamps of the working directory WORKDIR, else of the one kb uses
# by default.
_besedka_stamps()
{
    local program=$1 workdir=$2
    "$program" kb backups ${workdir:+"$workdir"} 2>/dev/null </dev/null |
        awk '$1 ~ /^[0-9][0-9][0-9][0-9]-/ { print $1 }'
}

# Completes an argument called NAME into COMPREPLY.
_besedka_complete_argument()
{
    local name=$1 program=$2 workdir=$3
    case $name in
        *=*)
            # LETTER=DIR: the letter first, then what follows the "=".
            if [[ $cur == *=* ]]; then
                cur=${cur#*=}
                _besedka_complete_argument "${name#*=}" "$program" "$workdir"
            else
                COMPREPLY=("${name%%=*}=")
                compopt -o nospace
            fi
            ;;
        *DIR*) _filedir -d ;;
        STAMP*) mapfile -t COMPREPLY < <(compgen -W "$(_besedka_stamps "$program" "$workdir")" -- "$cur") ;;
        TEXT* | PHRASE | REPLY | N | N... | ADDR:PORT) ;;
        *) _filedir ;;
    esac
}

_besedka()
{
    local cur prev words cword split
    _init_completion -s || return

    local program=${words[0]}
    [[ $program == \~/* ]] && program=$HOME/${program#\~/}

    local -a _besedka_paths _besedka_argument_lists
    local level=1
    if [[ ${words[1]-} == kb ]] && ((cword >= 2)); then
        _besedka_read_usage "$program" kb
        level=2
    else
        _besedka_read_usage "$program"
    fi

    # The subcommand typed so far, matched against the usage lines.
    local path="" i word
    if ((level == 2)); then
        path="kb"
        ((cword > 2)) && path+=" ${words[2]}"
    elif ((cword > 1)) && [[ ${words[1]} != -* ]]; then
        path=${words[1]}
    fi

    # Names of the next subcommand word.
    if ((cword == level)) && [[ $cur != -* && $split != true ]]; then
        local prefix=""
        ((level == 2)) && prefix="kb "
        local -A names=()
        for i in "${!_besedka_paths[@]}"; do
            [[ ${_besedka_paths[i]} == "$prefix"?* ]] || continue
            word=${_besedka_paths[i]#"$prefix"}
            names[${word%% *}]=1
        done
        mapfile -t COMPREPLY < <(compgen -W "${!names[*]}" -- "$cur")
        return
    fi

    # The options, option values and positional arguments of that subcommand.
    local -a options=() slots=() arguments=()
    local -A values=()
    local option group=""
    for i in "${!_besedka_paths[@]}"; do
        [[ ${_besedka_paths[i]} == "$path" ]] || continue
        read -ra arguments <<<"${_besedka_argument_lists[i]}"
        for word in "${arguments[@]}"; do
            local opens=0 closes=0
            [[ $word == \[* ]] && opens=1
            [[ $word == *\] ]] && closes=1
            word=${word#\[}
            word=${word%\]}
            if [[ $word == -* ]]; then
                options+=("$word")
                option=$word
                ((opens && !closes)) && group=$option
            elif [[ -n $group ]]; then
                values[$group]=$word
            else
                slots+=("$word")
            fi
            ((closes)) && group=""
        done
    done

    # A kb subcommand that takes WORKDIR takes --workdir DIR in its place.
    if [[ " ${slots[*]} " == *" WORKDIR "* ]]; then
        options+=(--workdir)
        values[--workdir]=DIR
    fi

    if [[ -n ${values[$prev]-} ]]; then
        _besedka_complete_argument "${values[$prev]}" "$program"
        return
    fi
    if [[ $cur == -* ]]; then
        mapfile -t COMPREPLY < <(compgen -W "${options[*]}" -- "$cur")
        return
    fi

    # Which positional argument the cursor is on; one named "X..." repeats.
    # The working directory is the one --workdir names, else a directory
    # after the cursor.
    local count=0 first workdir=""
    read -ra arguments <<<"$path"
    first=$((1 + ${#arguments[@]}))
    for ((i = first; i < ${#words[@]}; i++)); do
        word=${words[i]}
        if [[ $word == --workdir=* ]]; then
            workdir=${word#*=}
        elif [[ -n $word && -n ${values[$word]-} ]]; then
            [[ $word == --workdir ]] && workdir=${words[i + 1]-}
            ((i++))
        elif ((i < cword)) && [[ $word != -* ]]; then
            ((count++))
        elif ((i > cword)) && [[ -z $workdir && $word != -* && -d $word ]]; then
            workdir=$word
        fi
    done
    [[ $workdir == \~/* ]] && workdir=$HOME/${workdir#\~/}

    local slot
    for ((i = 0; i < ${#slots[@]}; i++)); do
        slot=${slots[i]}
        [[ $slot == WORKDIR && -n $workdir ]] && break # given as --workdir
        if [[ $slot == *... ]] && ((count >= i)); then
            # After the first one: more of it, the next argument or an option.
            if ((count > i)); then
                ((i + 1 < ${#slots[@]})) &&
                    _besedka_complete_argument "${slots[i + 1]}" "$program" "$workdir"
                ((${#COMPREPLY[@]} == 0)) &&
                    mapfile -t COMPREPLY < <(compgen -W "${options[*]}" -- "$cur")
            fi
            return
        fi
        if ((count == i)); then
            _besedka_complete_argument "$slot" "$program" "$workdir"
            return
        fi
    done
    # Past the last argument: the options.
    mapfile -t COMPREPLY < <(compgen -W "${options[*]}" -- "$cur")
} &&
    complete -F _besedka besedka

# ex: filetype=sh
