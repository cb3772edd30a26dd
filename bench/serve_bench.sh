#!/usr/bin/env bash
# `besedka serve` under load beside its floor, with the release build, on a
# 100,000-line tree: the floor (cpp-httplib tuned the same, answering a fixed
# reply) and the server answering phrases the tree finds, over 64
# connections and 64 conversations; learning replies from one conversation
# and from 64; and the memory of 10,000 open idle conversations. Each answer
# is timed in wrk's Lua response hook (bench/serve/turns.lua).
#
# Usage: bench/serve_bench.sh [SECONDS]   (each wrk run; default 10)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-10}
lines=100000
build=build/bench
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBESEDKA_BENCH=ON \
    -DBESEDKA_TESTS=OFF -DBESEDKA_GUI=OFF >/dev/null
ninja -C "$build" besedka besedka_serve_floor >/dev/null
besedka=$PWD/$build/app/besedka
floor=$PWD/$build/bench/serve/besedka_serve_floor
script=$PWD/bench/serve/turns.lua
work=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT
export XDG_STATE_HOME=$work/state

# The tree: keys that hold no other key, every fourth line one level deeper.
awk -v n=$lines 'BEGIN { print "Фразы"; for (i = 1; i < n; i++)
    printf "%sФРАЗА %d КОНЕЦ^Ответ номер %d.;Ещё один ответ!;\n", (i % 4 == 0 ? "_" : ""), i, i }' \
    >"$work/tree.txt"
fresh() {
    rm -rf "$work/w"
    cp -r data "$work/w"
    "$besedka" kb from-text "$work/tree.txt" "$work/w/Base/Words.Dat"
}

# start PROGRAM ARGS...: sets url and pid once it listens.
start() {
    "$@" 2>"$work/server.err" &
    pid=$!
    pids+=("$pid")
    url=""
    for _ in $(seq 600); do
        url=$(sed -n 's/^listening on //p' "$work/server.err")
        [ -n "$url" ] && return
        sleep 0.05
    done
    echo "no server: $(cat "$work/server.err")" >&2
    exit 1
}
stop() { kill -TERM "$pid"; wait "$pid" || true; }
# load CONNECTIONS MODE: the RESULT line of one wrk run.
load() {
    local threads=2
    [ "$1" -lt 2 ] && threads=1
    wrk -t"$threads" -c"$1" -d"${seconds}s" --timeout 10s -s "$script" "$url" -- "$2" "$lines" |
        sed -n 's/^RESULT //p'
}
field() { sed -n "s/.*\\b$1=\\([^ ]*\\).*/\\1/p" <<<"$2"; }
rss_kb() { awk '/^VmRSS/ { print $2 }' "/proc/$1/status"; }
say() {
    curl -s -o /dev/null -H 'Content-Type: application/json' -d "{\"text\": \"$3\"}" \
        "$1/v1/conversations/$2/messages"
}

start "$floor"
floor_hits=$(load 64 hits)
stop

fresh
start "$besedka" serve --listen 127.0.0.1:0 --rate 0 --max-conversations 20000 "$work/w"
say "$url" warm "фраза 99997 конец" # the first turn parses the tree
serve_hits=$(load 64 hits)
learn_one=$(load 1 learn)
learn_many=$(load 64 learn)
stop

# 10,000 conversations, each opened by a phrase the tree answers, then idle.
fresh
start "$besedka" serve --listen 127.0.0.1:0 --rate 0 "$work/w"
say "$url" warm "фраза 99997 конец"
curl -s -o /dev/null -X DELETE "$url/v1/conversations/warm"
sleep 1
rss_none=$(rss_kb "$pid")
python3 - "$url" <<'PY'
import http.client, sys, threading, urllib.parse
address = urllib.parse.urlsplit(sys.argv[1])
def open_some(start):
    connection = http.client.HTTPConnection(address.hostname, address.port)
    for i in range(start, 10000, 4):
        connection.request("POST", "/v1/conversations/idle%d/messages" % i,
                           ('{"text": "фраза %d конец"}' % (99997 - 4 * (i % 100))).encode(),
                           {"Content-Type": "application/json"})
        connection.getresponse().read()
threads = [threading.Thread(target=open_some, args=(k,)) for k in range(4)]
for t in threads: t.start()
for t in threads: t.join()
PY
sleep 1
rss_open=$(rss_kb "$pid")
open=$(curl -s "$url/metrics" | awk '/^besedka_open_conversations/ { print $2 }')
stop

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
echo "floor, fixed reply, 64 connections:    $floor_hits"
echo "hits, 64 connections, 64 conversations: $serve_hits"
echo "learning, 1 conversation:               $learn_one"
echo "learning, 64 conversations:             $learn_many"
printf 'hits against the floor:  %s of its throughput (goal at least 0.5), p99 %s ms (goal 25)\n' \
    "$(ratio "$(field per_second "$serve_hits")" "$(field per_second "$floor_hits")")" \
    "$(field p99_ms "$serve_hits")"
printf 'learning, 64 against 1:  %s times the learning replies a second (goal 10), p99 %s ms (goal 100)\n' \
    "$(ratio "$(field learned_per_second "$learn_many")" "$(field learned_per_second "$learn_one")")" \
    "$(field p99_ms "$learn_many")"
printf '10,000 idle conversations (%s open): %d MB above none (%d MB against %d MB; goal 100)\n' \
    "$open" $(((rss_open - rss_none) / 1024)) $((rss_open / 1024)) $((rss_none / 1024))
