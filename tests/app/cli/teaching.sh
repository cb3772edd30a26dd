#!/usr/bin/env bash
# Teaching, export, import and merge through the real program on copies of the
# starter data: what is taught is what the chat answers, a round trip gives
# the same files, a merge made twice is made once, and a teach killed at any
# moment leaves whole files.
set -uo pipefail
besedka=$1
starter=$2
source "$(dirname "$0")/checks.sh"
export XDG_STATE_HOME=$scratch/state BESEDKA_CLOCK=36000000
copy() { cp -r "$starter" "$scratch/$1" && echo "$scratch/$1"; }
# The replies of a chat session: the pane lines that follow each phrase.
replies() { "$besedka" chat --workdir "$1" 2>/dev/null | grep -v '^NomerRazryada\|^Vetochka\|^S = \|^SS = '; }
all_lines() { for f in "$1"/Base/*.Dat; do echo "== ${f##*/}"; "$besedka" kb lines "$f"; done; }

# A made-up dialogue with dialogue dashes, and a second one sharing its start.
printf '%s\n' "— Синий чай" "— Редкость." "— С мятой" "— Свежо!" "— Без сахара" "— Горько?" "" \
    "- Синий чай" "- Редкость." "- С лимоном" "- Кислит." >"$scratch/tea.txt"
taught=$(copy taught)
summary=$("$besedka" kb teach "$scratch/tea.txt" "$taught")
check "teach: exit status 0" test $? = 0
check "teach: the summary counts" contains "$summary" "$(printf 'dialogues:     2\npairs:         5\nnew lines:     4\nnew answers:   0\nalready known: 1')"
said=$(printf 'синий чай\nс мятой\nбез сахара\n' | replies "$taught")
check "chat answers u1, u3, u5 with u2, u4, u6" test "$said" = "$(printf 'Синий чай.\nРедкость.\nС мятой.\nСвежо!\nБез сахара.\nГорько?')"
check "kb check passes after teaching" "$besedka" kb check "$taught" >/dev/null
again=$("$besedka" kb teach - "$taught" <"$scratch/tea.txt")
check "teach again: nothing new" contains "$again" "new lines:     0"

# Jokes whose first lines hold the starter's keys: each comes back in a new
# chat, at the first and the second depth, and the summary says so; the pair
# the insult list takes is named.
cat >"$scratch/jokes.txt" <<'JOKES'
— Почему Дед Мороз ходит по домам с пустым мешком?
— Пустые бутылки собирает!
— А подарки?
— Подарки потом.

— Здравствуйте, доктор, у меня собака говорит!
— И что она говорит?
— Что вы шарлатан.
— Странная собака.

— Расскажи анекдот про программиста.
— Он уже спит.

— Ты дура!
— Сам такой.
JOKES
jokes=$(copy jokes)
summary=$("$besedka" kb teach "$scratch/jokes.txt" "$jokes" 2>"$scratch/jokes.err")
check "jokes: the summary counts the pairs answered" contains "$summary" "answered as taught: 5 of 6 pairs"
check "jokes: the insult is named" contains "$(cat "$scratch/jokes.err")" \
    "jokes.txt:14: not answered as taught: it holds the insult \"ДУРА\""
# Each check gets a fresh copy of the taught tree: what a chat learns stays out.
chat_n=0
comes_back() { # the phrases said, then the replies expected, one a line each
    chat_n=$((chat_n + 1))
    cp -r "$jokes" "$scratch/chat-$chat_n"
    got=$(printf '%s\n' "$1" | replies "$scratch/chat-$chat_n" | sed -n '2~2p')
    check "jokes: \"${1%%$'\n'*}\" comes back as taught" test "$got" = "$2"
}
comes_back "$(printf '%s\n' "Почему Дед Мороз ходит по домам с пустым мешком?" "А подарки?")" \
    "$(printf '%s\n' "Пустые бутылки собирает!" "Подарки потом.")"
comes_back "$(printf '%s\n' "Здравствуйте, доктор, у меня собака говорит!" "Что вы шарлатан.")" \
    "$(printf '%s\n' "И что она говорит?" "Странная собака.")"
comes_back "Расскажи анекдот про программиста." "Он уже спит."
summary=$("$besedka" kb teach "$scratch/jokes.txt" "$jokes" 2>/dev/null)
check "jokes taught again: nothing new" contains "$summary" "$(printf 'new lines:     0\nnew answers:   0')"
# Ten pairs not answered are named, all with --verbose.
for i in $(seq 12); do printf -- '— Дура %s\n— Нет.\n\n' "$i"; done >"$scratch/rude.txt"
"$besedka" kb teach --dry-run "$scratch/rude.txt" "$jokes" >/dev/null 2>"$scratch/rude.err"
check "ten pairs named" test "$(grep -c 'not answered as taught:' "$scratch/rude.err")" = 10
check "the others counted" contains "$(cat "$scratch/rude.err")" "and 2 more pairs not answered as taught"
"$besedka" kb teach --dry-run --verbose "$scratch/rude.txt" "$jokes" >/dev/null 2>"$scratch/rude.err"
check "--verbose names all" test "$(grep -c 'not answered as taught:' "$scratch/rude.err")" = 12

# The program's own dialogue log (RTF, written by the chat above) teaches the
# same dialogue to another copy.
from_log=$(copy from-log)
printf 'синий чай\nс мятой\nбез сахара\n/exit\n' | "$besedka" chat --workdir "$taught" >/dev/null 2>&1
check "teach from the RTF log" "$besedka" kb teach "$taught/Base/Log.Halden" "$from_log" >/dev/null
said=$(printf 'синий чай\nс мятой\nбез сахара\n' | replies "$from_log")
check "the log's dialogue answers the same" test "$said" = "$(printf 'Синий чай.\nРедкость.\nС мятой.\nСвежо!\nБез сахара.\nГорько?')"

# A refused line: nothing written unless --skip-bad.
refused=$(copy refused)
printf 'раз\nдва;три\nчетыре\nпять\n' >"$scratch/bad.txt"
before=$(md5sum <"$refused/Base/Words.Dat")
said=$("$besedka" kb teach "$scratch/bad.txt" "$refused" 2>&1)
check "a refused line: status 1" test $? = 1
check "a refused line is named" contains "$said" "bad.txt:2: holds \";\""
check "a refused line: nothing written" test "$(md5sum <"$refused/Base/Words.Dat")" = "$before"
said=$("$besedka" kb teach --skip-bad --dry-run "$scratch/bad.txt" "$refused" 2>&1)
check "--dry-run writes nothing" test "$(md5sum <"$refused/Base/Words.Dat")" = "$before"
"$besedka" kb teach "$scratch/bad.txt" --skip-bad "$refused" >/dev/null 2>&1
check "--skip-bad teaches the rest" contains "$("$besedka" kb find ЧЕТЫРЕ "$refused")" "ЧЕТЫРЕ^Пять.;"
"$besedka" kb export "$refused" >"$scratch/refused.json"
before=$(md5sum <"$refused/Base/Words.Dat")
said=$("$besedka" kb teach --skip-bad "$scratch/refused.json" "$refused" 2>&1)
check "an export document given to teach: status 1" test $? = 1
check "an export document is named as one" test "$said" = "besedka kb: $scratch/refused.json: this is an export document: use kb import or kb merge"
check "an export document: nothing written" test "$(md5sum <"$refused/Base/Words.Dat")" = "$before"

# Export and import: the same lines in every file, for the starter data and
# for a tree with broken lines.
broken=$(copy broken)
printf 'Фразы\r\nБЕЗ ЗНАКА\r\n_КЛЮЧ^ответ без точки с запятой\r\n\r\nА^Б;;\r\nОК^Да.;\r\n' >"$broken/Base/Words.Dat"
for source in "$starter" "$taught" "$broken"; do
    target=$(copy "import-$(basename "$source")")
    printf 'X^Y;\r\n' >"$target/Base/Words.Dat"
    "$besedka" kb export "$source" | "$besedka" kb import - "$target" >/dev/null
    check "export | import: the same lines ($(basename "$source"))" \
        test "$(all_lines "$source")" = "$(all_lines "$target")"
done
said=$(echo '{"format": "besedka-knowledge", "version": 1, "tree": [{"line": "h"}, {"depth": 0, "key": "A;B", "answers": []}]}' |
    "$besedka" kb import - "$target" 2>&1)
check "import: a bad record is refused" test $? = 1
check "import: its position is named" contains "$said" "tree[1].key"
before=$(all_lines "$target")
said=$({ "$besedka" kb export "$starter"; printf '\0garbage{{{'; } | "$besedka" kb import - "$target" 2>&1)
check "import: a document with a NUL and garbage after it is refused" test $? = 1
check "import: the NUL is named and nothing written" \
    test "$(all_lines "$target")" = "$before" -a "${said#*NUL byte}" != "$said"

# Merge: A into B twice is A into B once, from a directory or an export.
merged=$(copy merged)
"$besedka" kb merge "$taught" "$merged" >/dev/null
once=$(all_lines "$merged")
second=$("$besedka" kb merge "$taught" "$merged")
check "merge twice = once" test "$(all_lines "$merged")" = "$once"
check "the second merge adds nothing" contains "$second" "new tree lines:       0"
"$besedka" kb export "$taught" >"$scratch/taught.json"
"$besedka" kb merge "$scratch/taught.json" "$merged" >/dev/null
check "merging the export changes nothing more" test "$(all_lines "$merged")" = "$once"
said=$(printf 'синий чай\nс мятой\n' | replies "$merged")
check "the merged tree answers the taught dialogue" contains "$said" "Свежо!"

# Merge names a source by its Base too, says which side a missing file is
# on, and passes over the source's broken lines, counting them.
said=$("$besedka" kb merge "$taught/Base" "$merged" 2>&1)
check "merge: SOURCE/Base stands for SOURCE" contains "$said" "new tree lines:       0"
# A base merged into itself, however it is named, is refused.
ln -s "$merged" "$scratch/merged-link"
for same in "$merged" "$merged/Base" "$merged/./" "$scratch/merged-link"; do
    said=$("$besedka" kb merge "$same" "$merged" 2>&1)
    check "merge: $same into itself exits 1" test $? = 1
    check "merge: $same into itself is named" contains "$said" "is the same base as $merged"
done
lacking=$(copy lacking)
rm "$lacking/Base/W1.Dat"
said=$("$besedka" kb merge "$lacking" "$merged" 2>&1)
check "merge: a file the source lacks names the source" \
    contains "$said" "Base\W1.Dat: No such file or directory (source working directory $lacking)"
said=$("$besedka" kb merge "$merged" "$lacking" 2>&1)
check "merge: a file the target lacks names the target" \
    contains "$said" "Base\W1.Dat: No such file or directory (working directory $lacking)"
clean=$(copy clean)
said=$("$besedka" kb merge "$broken" "$clean")
check "merge: broken lines and their branches are counted" contains "$said" "passed over:          4"
check "merge: the summary's values stand in one column" \
    test "$(grep -o '^[^:]*: *' <<<"$said" | awk '{ print length($0) }' | sort -u | wc -l)" = 1
check "merge: kb check passes after merging a broken tree" "$besedka" kb check "$clean" >/dev/null

# No backup, no change, unless --no-backup: an import must not lose for good
# what was learned since its export.
unsaved=$(copy unsaved)
"$besedka" kb export "$unsaved" >"$scratch/old.json"
printf 'Привет\nмоя важная фраза\n' | "$besedka" chat --workdir "$unsaved" >/dev/null 2>&1
learned=$(all_lines "$unsaved")
: >"$scratch/not-a-folder"
said=$(XDG_STATE_HOME=$scratch/not-a-folder "$besedka" kb import "$scratch/old.json" "$unsaved" 2>&1)
check "import without a backup: status 1" test $? = 1
check "import without a backup: tells how to go on" \
    contains "$said" "; nothing imported (with --no-backup"
said=$(env -u HOME -u XDG_STATE_HOME "$besedka" kb teach "$scratch/tea.txt" "$unsaved" 2>&1)
check "teach without HOME: status 1" test $? = 1
check "teach without HOME: the reason" contains "$said" "neither XDG_STATE_HOME nor HOME is set; nothing taught"
said=$(XDG_STATE_HOME=$scratch/not-a-folder "$besedka" kb merge "$taught" "$unsaved" 2>&1)
check "merge without a backup: status 1" test $? = 1
check "without a backup nothing was written" test "$(all_lines "$unsaved")" = "$learned"
XDG_STATE_HOME=$scratch/not-a-folder "$besedka" kb import --no-backup "$scratch/old.json" "$unsaved" >/dev/null 2>&1
check "import --no-backup writes" test "$(all_lines "$unsaved")" != "$learned"

# A document larger than the limit is refused before it is read.
truncate -s $((1024 * 1024 * 1024 + 1)) "$scratch/huge.json"
said=$("$besedka" kb import "$scratch/huge.json" "$unsaved" 2>&1)
check "import: a document over the limit is refused" test $? = 1
check "import: the limit is named" contains "$said" "huge.json holds more than 1 GiB"

# A merge or an import that fails midway changes no file of Base.
base_sums() { (cd "$1/Base" && find . -maxdepth 1 -type f | sort | xargs md5sum); }
half=$(copy half)
rm "$half/Base/X.Dat"
before=$(base_sums "$half")
said=$("$besedka" kb merge "$taught" "$half" 2>&1)
check "a merge into a Base without X.Dat: status 1" test $? = 1
check "a merge into a Base without X.Dat: the reason" contains "$said" 'X.Dat'
check "a merge into a Base without X.Dat: no file changed" test "$(base_sums "$half")" = "$before"
split=$(copy split)
rm "$split/Base/W2.Dat" && mkdir "$split/Base/W2.Dat"
before=$(base_sums "$split")
"$besedka" kb import "$scratch/taught.json" "$split" >/dev/null 2>&1
check "an import whose W2.Dat is a folder: status 1" test $? = 1
check "an import whose W2.Dat is a folder: no file changed" test "$(base_sums "$split")" = "$before"
check "an import whose W2.Dat is a folder: no journal or temporary left" \
    test -z "$(ls -A "$split/Base" | grep '^\.')"

# A teach killed at any moment: the tree loads whole, old or new, and the next
# run removes what the kill left.
killed=$(copy killed)
awk 'BEGIN { for (d = 0; d < 400; d++) { for (i = 0; i < 500; i++) print "фраза " d " " i; print "" } }' >"$scratch/big.txt"
"$besedka" kb lines "$killed/Base/Words.Dat" >"$scratch/old.lines"
cp "$killed/Base/Words.Dat" "$scratch/old.dat"
start=$(date +%s%N)
"$besedka" kb teach "$scratch/big.txt" "$killed" >/dev/null
took=$((($(date +%s%N) - start) / 1000))
"$besedka" kb lines "$killed/Base/Words.Dat" >"$scratch/new.lines"
for round in 1 2 3 4 5 6; do
    cp "$scratch/old.dat" "$killed/Base/Words.Dat"
    "$besedka" kb teach "$scratch/big.txt" "$killed" >/dev/null 2>&1 &
    sleep "$(awk -v t="$took" -v r="$RANDOM" 'BEGIN { printf "%.6f", t * r / 32768 / 1e6 }')"
    kill -9 $! 2>/dev/null
    wait $! 2>/dev/null
    "$besedka" kb lines "$killed/Base/Words.Dat" >"$scratch/now.lines"
    check "killed teach $round: the tree is old or new" \
        sh -c "cmp -s '$scratch/now.lines' '$scratch/old.lines' || cmp -s '$scratch/now.lines' '$scratch/new.lines'"
done
"$besedka" kb teach "$scratch/big.txt" "$killed" >/dev/null
check "no temporary file stays" test -z "$(find "$killed/Base" -name '.*')"

finish "teaching"
