#!/usr/bin/env bash
# The knowledge base against what else touches its files: a second session at
# the same time, read-only files, symbolic links, FIFOs and devices, leftovers
# of killed saves. Runs the real program on real files.
set -uo pipefail
besedka=$1
starter=$2
source "$(dirname "$0")/checks.sh"
chmod 755 "$scratch"
export XDG_STATE_HOME=$scratch/state BESEDKA_CLOCK=36000000

# A working directory whose tree holds only its header line.
workdir() {
    local dir=$scratch/$1
    cp -r "$starter" "$dir"
    printf 'Фразы\r\n' >"$dir/Base/Words.Dat"
    : >"$dir/Base/Log.Halden"
    echo "$dir"
}
tree_lines() { "$besedka" kb lines "$1/Base/Words.Dat" | wc -l; }
# A session's first phrase follows no reply of the program and teaches nothing.
phrases() { for i in $(seq 0 300); do echo "zq $1 $i"; done; }

# Two sessions at once, each teaching 300 phrases: every line and log block stays.
both=$(workdir both)
phrases a | "$besedka" chat --workdir "$both" >/dev/null 2>"$scratch/a.err" &
first=$!
phrases b | "$besedka" chat --workdir "$both" >/dev/null 2>"$scratch/b.err"
second=$?
wait $first
check "two sessions: the first ends well" test $? = 0
check "two sessions: the second ends well" test $second = 0
check "two sessions keep all 600 learned lines" test "$(tree_lines "$both")" = 601
for who in a b; do
    check "two sessions: every phrase of $who is in the tree" test \
        "$("$besedka" kb lines "$both/Base/Words.Dat" | grep -c "^_*zq $who [1-9][0-9]*\.^")" = 300
done
check "two sessions keep both log blocks" test \
    "$("$besedka" kb lines "$both/Base/Log.Halden" | grep -c '^=\{53\}$')" = 2

# A session that waits long for the files says so, then goes on.
busy=$(workdir busy)
# The holder keeps the lock well past the 3 s after which the wait is told,
# so that a slow start of the chat (a loaded machine, sanitizers) still waits.
flock "$busy/Base" sleep 6 &
holder=$!
while flock -n "$busy/Base" true; do sleep 0.05; done
waited=$(phrases ждёт | head -2 | "$besedka" chat --workdir "$busy" 2>&1 >/dev/null)
check "a long wait for the lock is told" contains "$waited" "waiting for another besedka"
check "after the wait the phrase is learned" test "$(tree_lines "$busy")" = 2
wait $holder

# A reader that goes away ends the output, not the session: the log is written.
gone=$(workdir gone)
phrases ушёл | head -3 | "$besedka" chat --workdir "$gone" 2>/dev/null | (exit 0)
check "a closed output ends the chat with status 1" test "${PIPESTATUS[2]}" = 1
check "a closed output still writes the log" \
    test "$("$besedka" kb lines "$gone/Base/Log.Halden" | grep -c '^=\{53\}$')" = 1

# A chat stuck on a full output pipe does not hold the lock.
stuck=$(workdir stuck)
# 600 long phrases give far more than a pipe holds (64 KiB).
for i in $(seq 600); do printf 'zz %s %0200d\n' "$i" 0; done |
    "$besedka" chat --workdir "$stuck" 2>/dev/null | sleep 30 &
sleeper=$!
for _ in $(seq 100); do [ "$(tree_lines "$stuck")" -gt 100 ] && break; sleep 0.1; done
sleep 1
check "a chat blocked on its output leaves the lock free" timeout 3 flock -x "$stuck/Base" true
kill "$sleeper" 2>/dev/null
pkill -f "chat --workdir $stuck" 2>/dev/null
wait "$sleeper" 2>/dev/null

# Leftovers of killed saves go (the old names only once stale); other hidden
# files stay, among them what another tool (rsync) is writing right now.
left=$(workdir left)
echo torn >"$left/Base/.Words.Dat.besedka-Ab12Cd"
echo torn >"$left/Base/.W2.Dat.xY34zZ"
touch -d '10 minutes ago' "$left/Base/.W2.Dat.xY34zZ"
echo arriving >"$left/Base/.Words.Dat.AbC123"
echo mine >"$left/Base/.hidden"
phrases уборка | head -2 | "$besedka" chat --workdir "$left" >/dev/null
check "temporary files of killed saves are removed" \
    test ! -e "$left/Base/.Words.Dat.besedka-Ab12Cd" -a ! -e "$left/Base/.W2.Dat.xY34zZ"
check "other hidden files stay" test -e "$left/Base/.hidden" -a -e "$left/Base/.Words.Dat.AbC123"

# A symbolic link is written through: the link stays, its target changes.
linked=$(workdir linked)
mkdir "$scratch/elsewhere"
mv "$linked/Base/Words.Dat" "$scratch/elsewhere/tree.rtf"
ln -s ../../elsewhere/tree.rtf "$linked/Base/Words.Dat"
phrases ссылка | head -2 | "$besedka" chat --workdir "$linked" >/dev/null
check "a symbolic link stays a link" test -L "$linked/Base/Words.Dat"
check "its target holds the learned line" test "$(tree_lines "$linked")" = 2
check "no temporary file beside the target" test "$(ls -A "$scratch/elsewhere")" = tree.rtf

# A FIFO is neither waited on nor replaced.
fifo=$(workdir fifo)
rm "$fifo/Base/W2.Dat"
mkfifo "$fifo/Base/W2.Dat"
said=$(echo "zq труба" | timeout 20 "$besedka" chat --workdir "$fifo" 2>&1 >/dev/null)
check "chat: a FIFO is no file to read" test $? = 1
check "chat: the FIFO is named with the reason" \
    contains "$said" 'Cannot open file Base\W2.Dat: Not a regular file'
listed=$(timeout 20 "$besedka" kb lines "$fifo/Base/W2.Dat" 2>&1)
check "kb lines: a FIFO fails at once" test $? = 1
check "kb lines: names the reason" contains "$listed" "Not a regular file"
checked=$(timeout 20 "$besedka" kb check "$fifo")
check "kb check: a FIFO is not a regular file" contains "$checked" 'Base\W2.Dat: not a regular file'
printf 'ПРИВЕТ^Привет!;\n' >"$scratch/in.txt"
timeout 20 "$besedka" kb from-text "$scratch/in.txt" "$fifo/Base/W2.Dat" 2>/dev/null
check "kb from-text: a FIFO without a reader is refused" test $? = 1
check "kb from-text: the FIFO stays" test -p "$fifo/Base/W2.Dat"

# Devices are written in place, never replaced.
check "kb from-text into /dev/null succeeds" "$besedka" kb from-text "$scratch/in.txt" /dev/null
check "/dev/null stays a device" test -c /dev/null
full=$("$besedka" kb from-text "$scratch/in.txt" /dev/full 2>&1)
check "a full device names the path and the reason" \
    contains "$full" "/dev/full: No space left on device"
check "/dev/full stays a device" test -c /dev/full

# A backup is on disk before it counts: each copy and its folder flushed
# before the rename, the backups folder after it (a power loss must not leave
# a backup of empty files while the oldest good one is retired).
flushed=$(workdir flushed)
trace=$(phrases сброс | head -2 | strace -f -y -e trace=fsync,renameat2 \
    "$besedka" chat --workdir "$flushed" 2>&1 >/dev/null)
check "every copied file of a backup is flushed" test \
    "$(grep -c 'fsync([0-9]*</[^>]*/\.partial-[^/>]*/[^.>][^>]*>) = 0' <<<"$trace")" = "$(ls "$flushed/Base" | wc -l)"
check "a backup's folder is flushed before the rename and its parent after it" \
    grep -qzP 'fsync\(\d+</[^>]*/\.partial-\w+>\) = 0\n[^\n]*renameat2\([^\n]*\n[^\n]*fsync\(\d+</[^>]*/backups/[^/>]+>\)' <<<"$trace"

# Into Base, a name in another case is the knowledge file the program reads.
cased=$(workdir cased)
printf 'Ответ один\nОтвет два\n' >"$scratch/cased.txt"
"$besedka" kb from-text "$scratch/cased.txt" "$cased/Base/w2.dat" 2>/dev/null
check "from-text into Base writes the file whatever the case of its name" \
    test ! -e "$cased/Base/w2.dat" -a "$("$besedka" kb lines "$cased/Base/W2.Dat" | wc -l)" = 2

# A read-only tree is not replaced: the save fails, the old file stays.
if [ "$(id -u)" = 0 ]; then
    readonly=$(workdir readonly)
    chown -R 65534:65534 "$readonly"
    chmod 444 "$readonly/Base/Words.Dat"
    before=$(md5sum <"$readonly/Base/Words.Dat")
    said=$(phrases чтение | head -2 | setpriv --reuid=65534 --regid=65534 --clear-groups \
        "$besedka" chat --workdir "$readonly" 2>&1 >/dev/null)
    check "read-only tree: exit status 1" test $? = 1
    check "read-only tree: the reason is told" \
        contains "$said" 'Cannot create file Base\Words.Dat: Permission denied'
    check "read-only tree: the old file stays" test "$(md5sum <"$readonly/Base/Words.Dat")" = "$before"
    check "read-only tree: still read-only" test "$(stat -c %a "$readonly/Base/Words.Dat")" = 444

    # A save run by root leaves the files with their owner, who goes on learning.
    owned=$(workdir owned)
    chown -R 65534:65534 "$owned"
    phrases корень | head -2 | "$besedka" chat --workdir "$owned" >/dev/null
    check "a root save keeps the owner" test "$(stat -c %u:%g "$owned/Base/Words.Dat")" = 65534:65534
    phrases владелец | head -2 | setpriv --reuid=65534 --regid=65534 --clear-groups \
        "$besedka" chat --workdir "$owned" >/dev/null 2>&1
    check "after a root save the owner still learns" test "$(tree_lines "$owned")" = 3

    # A restore leaves alone what it would not change: a read-only reply list
    # stops it no more than it stops a chat.
    chmod 444 "$owned/Base/X.Dat"
    mkdir "$scratch/owners-state" && chown 65534:65534 "$scratch/owners-state"
    as_owner() { setpriv --reuid=65534 --regid=65534 --clear-groups env XDG_STATE_HOME="$scratch/owners-state" "$@"; }
    phrases своё | head -2 | as_owner "$besedka" chat --workdir "$owned" >/dev/null 2>&1
    check "a read-only file the backup holds as it is does not stop a restore" \
        test "$(status_of as_owner "$besedka" kb restore latest "$owned")" = 0
    check "the restore put the tree back" test "$(tree_lines "$owned")" = 3

    # Backups keep the owner, mode and extended attributes of what they copy,
    # and a restore puts them back on a file that Base lost.
    kept=$(workdir kept)
    chown -R 65534:65534 "$kept"
    chmod 640 "$kept/Base/W1.Dat"
    setfattr -n user.besedka.test -v kept "$kept/Base/W1.Dat"
    phrases копия | head -2 | "$besedka" chat --workdir "$kept" >/dev/null
    copied=$(ls -d "$XDG_STATE_HOME"/besedka/backups/kept-*/*/W1.Dat)
    check "a backup keeps its files' owner and mode" test "$(stat -c %u:%g:%a "$copied")" = 65534:65534:640
    check "a backup keeps extended attributes" \
        test "$(getfattr --only-values -n user.besedka.test "$copied" 2>/dev/null)" = kept
    rm "$kept/Base/W1.Dat"
    "$besedka" kb restore latest "$kept" >/dev/null
    check "a restore gives back the owner and mode" \
        test "$(stat -c %u:%g:%a "$kept/Base/W1.Dat")" = 65534:65534:640
    check "a restore gives back extended attributes" \
        test "$(getfattr --only-values -n user.besedka.test "$kept/Base/W1.Dat" 2>/dev/null)" = kept

    # Root in a folder of another user follows none of that user's links: a
    # file they point to is neither replaced, nor read, nor made.
    planted=$(workdir planted)
    chown -R 65534:65534 "$planted"
    echo secret >"$scratch/root-only" && chmod 600 "$scratch/root-only"
    as_nobody() { setpriv --reuid=65534 --regid=65534 --clear-groups "$@"; }
    as_nobody ln -sf "$scratch/root-only" "$planted/Base/Words.Dat"
    said=$("$besedka" kb teach "$scratch/cased.txt" "$planted" 2>&1)
    check "a planted link: teach fails" test $? = 1
    check "a planted link: the reason is one line" \
        contains "$said" 'Base\Words.Dat: Symbolic link made by another user, not followed'
    phrases ссылка | head -2 | "$besedka" chat --workdir "$planted" >/dev/null 2>&1
    check "a planted link: the chat fails" test $? = 1
    check "a planted link: its target stays" test "$(cat "$scratch/root-only")" = secret
    check "a planted link: stays a link" test -L "$planted/Base/Words.Dat"
    as_nobody ln -sf "$scratch/made-by-root" "$planted/Base/Words.Dat"
    "$besedka" kb export "$starter" >"$scratch/planted.json"
    "$besedka" kb import "$scratch/planted.json" "$planted" >/dev/null 2>&1
    check "a planted dangling link: import fails" test $? = 1
    check "a planted dangling link: nothing made" test ! -e "$scratch/made-by-root"
    moved=$(workdir moved)
    chown -R 65534:65534 "$moved"
    as_nobody mv "$moved/Base" "$moved/Real"
    as_nobody ln -s Real "$moved/Base"
    said=$("$besedka" kb teach "$scratch/cased.txt" "$moved" 2>&1)
    check "a planted link for Base: teach fails" test $? = 1
    check "a planted link for Base: the reason is told" \
        contains "$said" "Symbolic link made by another user, not followed"
    check "a planted link for Base: nothing written" test ! -e "$moved/Real/.change"
    copied=$(workdir copied)
    chown -R 65534:65534 "$copied"
    as_nobody ln -sf "$scratch/root-only" "$copied/Base/BigString.Dat"
    "$besedka" kb teach "$scratch/cased.txt" "$copied" >/dev/null 2>&1
    check "a planted link to a file teach does not read: teach fails" test $? = 1
    check "a planted link: no backup copies its target" \
        test -z "$(grep -rl secret "$XDG_STATE_HOME"/besedka/backups/copied-* 2>/dev/null)"
else
    echo "read-only case skipped: it needs root to switch to an unprivileged user"
fi

# kb forget on a terminal shows the lines and asks; a reader that stops early
# does not undo a removal or hide its status.
asked=$(workdir asked)
phrases спроси | head -3 | "$besedka" chat --workdir "$asked" >/dev/null
said=$(printf 'n\n' | script -qec "'$besedka' kb forget 2 '$asked'" /dev/null)
check "forget on a terminal shows the lines and asks" contains "$said" "remove these 2 lines?"
check "forget on a terminal removes nothing without a yes" test "$(tree_lines "$asked")" = 3
printf 'да\n' | script -qec "'$besedka' kb forget 2 '$asked'" /dev/null >/dev/null
check "forget on a terminal removes after a yes" test "$(tree_lines "$asked")" = 1
phrases труба | head -2 | "$besedka" chat --workdir "$asked" >/dev/null
{
    sleep 0.3
    "$besedka" kb forget 2 --yes "$asked"
    echo $? >"$scratch/forget.status"
} | true
check "forget into a closed pipe: status 0" test "$(cat "$scratch/forget.status")" = 0
check "forget into a closed pipe: the line is gone" test "$(tree_lines "$asked")" = 1

if [ "$(id -u)" = 0 ]; then
    # Base that can be entered but not listed (mode 0300) cannot be locked:
    # nothing is written, and the reason is told.
    unlisted=$(workdir unlisted)
    chown -R 65534:65534 "$unlisted"
    chmod 300 "$unlisted/Base"
    mkdir -m 777 "$scratch/nobody"
    said=$(phrases замок | head -3 | XDG_STATE_HOME=$scratch/nobody setpriv --reuid=65534 \
        --regid=65534 --clear-groups "$besedka" chat --workdir "$unlisted" 2>&1 >/dev/null)
    check "unlockable Base: exit status 1" test $? = 1
    check "unlockable Base: the reason is told" contains "$said" "Cannot lock Base: Permission denied"
    chmod 755 "$unlisted/Base"
    check "unlockable Base: nothing learned" test "$(tree_lines "$unlisted")" = 1
fi

finish "knowledge files"
