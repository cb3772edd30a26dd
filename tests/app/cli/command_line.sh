#!/usr/bin/env bash
# The program's command line: version, help, and clear errors with status 2.
set -uo pipefail
besedka=$1
source "$(dirname "$0")/checks.sh"

check "--version prints both versions" \
    grep -qx 'besedka [0-9]\+\.[0-9]\+\.[0-9]\+ (v1\.926)' <("$besedka" --version)
help=$("$besedka" --help)
for word in "besedka chat" "kb lines" "kb from-text" "kb check" "kb stats" "kb find" "kb forget" \
    "kb backups" "kb restore" "kb teach" "kb export" "kb import" "kb merge" \
    "besedka kb teach dialogues.txt" "besedka kb merge ../other" "Examples:" "besedka kb forget 12 40 --dry-run" "--workdir" "--drive" \
    "--version" "BESEDKA_CLOCK"; do
    check "--help names $word" grep -q -- "$word" <<<"$help"
done
# Each usage line has its summary at column 20, after two spaces or on the
# next line, where help2man and the shell completion tell the command from
# what it does.
check "--help parts each command from its summary" test -z "$(awk '
    waiting && substr($0, 1, 21) !~ /^ +[a-z]$/ { print "no summary after: " command }
    { waiting = 0 }
    /^  (besedka|kb) / && substr($0, 17) !~ /^[^ ]*  +[a-z]/ { waiting = 1; command = $0 }
    ' <<<"$help")"
check "kb --help starts with its usage" \
    test "$("$besedka" kb --help | head -n 1)" = "Usage: besedka kb SUBCOMMAND [ARGUMENT...]"
# Every line of every help fits 80 columns.
while read -r words; do
    # shellcheck disable=SC2086 # the words are the arguments
    check "$words --help fits 80 columns" \
        test "$("$besedka" $words --help | LC_ALL=C.UTF-8 wc -L)" -le 80
done < <(printf '%s\n' "" kb chat; "$besedka" kb --help | sed -n 's/^  \(kb [a-z-]*\).*/\1/p')
check "unknown option exits 2" test "$(status_of "$besedka" --bogus)" = 2
check "unknown option is named" grep -q -- "--bogus" <("$besedka" --bogus 2>&1)
check "chat: unknown option exits 2" test "$(status_of "$besedka" chat --bogus)" = 2
check "chat: missing workdir exits 2" test "$(status_of "$besedka" chat --workdir /no/such/dir)" = 2
check "kb: unknown subcommand exits 2" test "$(status_of "$besedka" kb bogus)" = 2
for usage in "find" "forget" "forget --dry-run" "forget 2 --all" "restore" "stats a b" \
    "teach" "teach --bogus x" "teach a b c" "merge --dry-run" "import"; do
    # shellcheck disable=SC2086 # the words are the arguments
    check "kb $usage: wrong usage exits 2" test "$(status_of "$besedka" kb $usage)" = 2
done
check "kb --help lists the examples" grep -q "besedka kb find привет" <("$besedka" kb --help)
check "window: missing workdir exits 2" test "$(status_of "$besedka" --workdir /no/such/dir)" = 2
check "--drive needs LETTER=DIR" test "$(status_of "$besedka" chat --drive D)" = 2
check "window: --workdir=DIR is read" grep -q "no such directory: /no/such" \
    <("$besedka" --workdir=/no/such 2>&1)
for flag in --help -h; do
    check "chat $flag lists the commands" grep -q "/tick .*exchange file" <("$besedka" chat $flag)
done

# Each subcommand tells its own usage, and a wrong argument is named.
check "kb forget --help" test "$("$besedka" kb forget --help | sed '/^$/q' | tr -s ' \n' ' ')" = \
    "Usage: besedka kb forget N... [--expect LINE] [--dry-run] [--yes] [--no-backup] [WORKDIR] "
forget_usage=$("$besedka" kb forget abc /tmp 2>&1)
check "kb forget abc DIR blames abc" grep -q '"abc" is not a line number' <<<"$forget_usage"
check "a usage error shows only its subcommand" test "$(grep -c "besedka kb " <<<"$forget_usage")" = 1
check "kb stats a b blames b" grep -q 'unexpected "b"; usage: besedka kb stats \[WORKDIR\]' \
    <("$besedka" kb stats a b 2>&1)
starter=$(cd "$(dirname "$0")/../../../data" && pwd)
check "kb restore WORKDIR asks for the backup" grep -q "missing STAMP|latest before $starter" \
    <("$besedka" kb restore "$starter" 2>&1)
check "kb restore WORKDIR STAMP shows the order" grep -q \
    "STAMP|latest comes first: besedka kb restore latest $starter" \
    <("$besedka" kb restore "$starter" latest 2>&1)

# Output that cannot be written is a failure, said on stderr.
work=$scratch
cp -r "$(dirname "$0")/../../../data/." "$work"
status_to_full_disk() { "$@" >/dev/full 2>"$work/err"; echo $?; }
check "kb lines: a full disk exits 1" \
    test "$(status_to_full_disk "$besedka" kb lines "$work/Base/Words.Dat")" = 1
check "kb lines: a full disk is named" grep -q "No space left on device" "$work/err"
check "chat: a full disk exits 1" \
    test "$(status_to_full_disk "$besedka" chat --workdir "$work" <<<"привет")" = 1
check "chat: a full disk is named" grep -q "No space left on device" "$work/err"

# The terminal chat: --workdir=DIR, and a mistyped command is not learned.
tree_before=$(cksum <"$work/Base/Words.Dat")
chat_err=$(printf '/qiut\n/quit\n' | "$besedka" chat --workdir="$work" 2>&1 >/dev/null)
check "chat: /qiut is an unknown command" \
    grep -qx "besedka chat: unknown command /qiut; /help lists the commands" <<<"$chat_err"
check "chat: /qiut is not learned" test "$(cksum <"$work/Base/Words.Dat")" = "$tree_before"

# Without WORKDIR, kb works where the chat does: from a fresh HOME, the user's
# data directory; Base itself names its working directory too.
fresh=$scratch/fresh
mkdir -p "$fresh/cwd"
in_fresh_home() { (cd "$fresh/cwd" && env -u XDG_DATA_HOME HOME="$fresh/home" "$@"); }
check "kb stats without WORKDIR uses the data directory" \
    grep -q "^learned phrases" <(in_fresh_home "$besedka" kb stats)
rm "$fresh/home/.local/share/besedka/Base/Words.Dat"
check "a missing file names the working directory" \
    grep -q "Words.Dat: No such file.*(working directory $fresh/home/.local/share/besedka)" \
    <(in_fresh_home "$besedka" kb find привет 2>&1)
check "kb check takes Base for its working directory" \
    grep -q "^kb check: OK" <("$besedka" kb check "$work/Base")

# forget says what it removed and which backup holds it; restore takes the
# start of a stamp or "latest" and keeps the dialogue log unless --with-log.
export XDG_STATE_HOME=$fresh/state
"$besedka" kb forget 2 --dry-run "$work" >/dev/null 2>"$fresh/said"
check "forget --dry-run says what it would remove" \
    grep -qx "besedka kb: would remove 1 line (line 2)" "$fresh/said"
"$besedka" kb forget 2 3 5 --yes "$work" >/dev/null 2>"$fresh/said"
check "forget says what it removed and the backup" grep -qx \
    "besedka kb: removed 3 lines (lines 2–3, 5); backup [0-9_-]*Z-[0-9]*" "$fresh/said"
stamp=$(sed -n 's/.*; backup //p' "$fresh/said")
sleep 1 # the chat's backup then has a stamp of another second
printf 'привет\n/exit\n' | "$besedka" chat --workdir "$work" >/dev/null
log_after=$(cksum <"$work/Base/Log.Halden")
"$besedka" kb restore "${stamp%Z-*}" "$work" >"$fresh/said" 2>&1
check "restore takes a unique start of a stamp" grep -qx "restoring backup $stamp" "$fresh/said"
check "restore keeps the dialogue log" test "$(cksum <"$work/Base/Log.Halden")" = "$log_after"
check "the restored tree has the lines back" grep -q "^restored Base/Words.Dat" "$fresh/said"
"$besedka" kb restore "$stamp" --with-log "$work" >/dev/null 2>&1
check "restore --with-log puts the log back" test "$(cksum <"$work/Base/Log.Halden")" != "$log_after"
listed=$("$besedka" kb backups "$work")
stamps=$(sed -n '3,$p' <<<"$listed" | cut -d' ' -f1) # of different seconds
check "kb backups lists newest first" test "$stamps" = "$(sort -r <<<"$stamps")" -a \
    "$(wc -l <<<"$stamps")" -gt 1 -a -n "$(grep -x "backups in .*, newest first:" <<<"$listed")"
newest=$(sed -n 3p <<<"$listed" | cut -d' ' -f1)
check "restore latest takes the newest backup" \
    grep -qx "restoring backup $newest" <("$besedka" kb restore latest "$work" 2>&1)
check "an ambiguous stamp lists its backups" \
    grep -q "\"2\" begins [0-9]* backups: .*$stamp" <("$besedka" kb restore 2 "$work" 2>&1)
check "an unknown stamp lists the closest" \
    grep -q "no backup ${stamp}9; the closest: .*$stamp" <("$besedka" kb restore "${stamp}9" "$work" 2>&1)

# kb find tells the forget command only when asked, its output the same.
found=$("$besedka" kb find привет "$work" 2>"$fresh/said")
check "kb find tells nothing more unasked" test -n "$found" -a ! -s "$fresh/said"
check "kb find --forget-command prints the same lines" \
    test "$("$besedka" kb find привет --forget-command "$work" 2>"$fresh/said")" = "$found"
check "kb find --forget-command tells the command" \
    grep -q "besedka kb forget [0-9]* --expect " "$fresh/said"

# The backups of a working directory that is gone: listed with their size,
# removed when asked, a link among them never followed.
gone=$fresh/gone
mkdir "$gone"
cp -r "$work/Base" "$gone"
"$besedka" kb forget 2 --yes "$gone" >/dev/null 2>&1
rm -r "$gone"
listed=$("$besedka" kb backups --all 2>"$fresh/said")
check "--all names a gone working directory and the size of its backups" \
    grep -qx "$gone (no longer exists; its backups take [0-9]* bytes)" <<<"$listed"
check "--all tells how to remove them" grep -q -- "--prune-gone removes its backups" "$fresh/said"
check "--prune-gone off a terminal needs --yes" \
    test "$(status_of "$besedka" kb backups --all --prune-gone </dev/null)" = 1
check "--prune-gone needs --all" test "$(status_of "$besedka" kb backups --prune-gone --yes)" = 2
gone_folder=$(sed -n "/^${gone//\//\\/} /{n;s/.* in \(.*\), newest.*/\1/p}" <<<"$listed")
cp -r "$gone_folder" "$fresh/outside"
ln -s "$fresh/outside" "$XDG_STATE_HOME/besedka/backups/zz-link"
"$besedka" kb backups --all --prune-gone --yes >"$fresh/said" 2>&1
check "--prune-gone --yes removes the gone one's backups" \
    grep -q "^removed 1 backup of $gone .* in $gone_folder$" "$fresh/said"
check "--prune-gone refuses a link" grep -q "not a folder of backups: .*zz-link" "$fresh/said"
check "--prune-gone leaves what a link names" test -n "$(ls "$fresh/outside")"
check "--prune-gone keeps the backups of a working directory that exists" \
    test -n "$("$besedka" kb backups "$work" | sed -n 3p)" -a ! -e "$gone_folder"
unset XDG_STATE_HOME

# A symbolic link loop as the working directory or the data home: one line
# with the reason and status 1, never an abort.
ln -s loop "$work/loop"
said=$("$besedka" chat --workdir "$work/loop" </dev/null 2>&1)
check "a looping --workdir exits 1" test $? = 1
check "a looping --workdir is one line with the reason" \
    test "$said" = "besedka chat: cannot use $work/loop: Too many levels of symbolic links"
said=$(cd / && XDG_DATA_HOME=$work/loop "$besedka" chat </dev/null 2>&1)
check "a looping XDG_DATA_HOME exits 1" test $? = 1
check "a looping XDG_DATA_HOME names the reason" grep -q "Too many levels of symbolic links" <<<"$said"

finish "command line"
