#!/usr/bin/env bash
# A conversation through the API answers exactly as `besedka chat` does for
# the same phrases on the same clock: the pane's lines (each turn's trace,
# shown phrase and reply) and every file afterwards, byte for byte.
set -uo pipefail
besedka=$1
data=$2
source "$(dirname "$0")/serve_lib.sh"
export XDG_STATE_HOME=$scratch/state
export BESEDKA_CLOCK=36000000
cp -r "$data/." "$scratch/chat"
cp -r "$data/." "$scratch/api"

# Hits, phrases it learns, a repeat, an answer to a reply, one with nothing
# Windows-1251 can hold, one with emoji among letters, and a farewell.
phrases=$scratch/phrases
printf '%s\n' "Привет" "Как дела?" "Что такое любовь" "Что такое любовь" "Расскажи анекдот" \
    "Синий чай с мятой" "😀" "Мне скучно 😀 очень" "А ты кто?" "Люблю дождь" "пока" >"$phrases"

"$besedka" chat --workdir "$scratch/chat" <"$phrases" >"$scratch/chat.out" 2>"$scratch/chat.err"
check "the chat ran" test $? = 0

start_server api --rate 0 "$scratch/api"
python3 "$(dirname "$0")/talk.py" "$api_url" same "$scratch/statuses" <"$phrases" \
    >"$scratch/api.out"
stop_server "$api_pid"

check "every phrase answered but the one of emoji alone (422)" \
    test "$(tr '\n' ' ' <"$scratch/statuses")" = "200 200 200 200 200 200 422 200 200 200 200 "
check "the farewell ended the conversation" test "$(tail -n 1 "$scratch/api.out")" = ENDED
check "the pane's lines are the chat's" diff "$scratch/chat.out" <(head -n -1 "$scratch/api.out")
check "the chat learned something" test "$(cmp -s "$data/Base/Words.Dat" "$scratch/chat/Base/Words.Dat"; echo $?)" = 1
check "the files are the chat's, byte for byte" diff -r "$scratch/chat" "$scratch/api"
check "the server stopped cleanly" test "$stop_status" = 0

finish serve_like_chat
