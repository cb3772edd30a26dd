#!/usr/bin/env bash
# `besedka serve` as a user meets it: its help and usage errors, safe
# defaults (loopback, a token for anything else, TLS), one port per server,
# a stalled client that frees its worker, a flood that slows no one else, and
# a stop that ends every conversation with its log block.
set -uo pipefail
besedka=$1
data=$2
source "$(dirname "$0")/serve_lib.sh"
export XDG_STATE_HOME=$scratch/state
work=$scratch/work
cp -r "$data/." "$work"

help=$("$besedka" serve --help)
check "serve --help fits 80 columns" test "$(LC_ALL=C.UTF-8 wc -L <<<"$help")" -le 80
for word in "POST /v1/conversations/{id}/messages" "DELETE /v1/conversations/{id}" \
    "GET /metrics" "--token-file FILE" "--idle-minutes N" "429 too_many_requests"; do
    check "serve --help names $word" grep -qF -- "$word" <<<"$help"
done
check "besedka --help names serve" grep -q "besedka serve" <("$besedka" --help)

# Wrong usage: one line and status 2; nothing that cannot start starts.
for usage in "--bogus" "--listen" "--listen 8642" "--rate fast" "--tls-cert c.pem" "a b"; do
    # shellcheck disable=SC2086 # the words are the arguments
    check "serve $usage exits 2" test "$(status_of "$besedka" serve $usage)" = 2
done
refusal=$("$besedka" serve --listen 0.0.0.0:8642 "$work" 2>&1)
check "another address without a token exits 2" \
    test "$(status_of "$besedka" serve --listen 0.0.0.0:8642 "$work")" = 2
check "... with one line that says what to do" test "$(wc -l <<<"$refusal")" = 1
check "... naming --token-file" grep -q -- "--token-file" <<<"$refusal"
check "a missing working directory exits 2" \
    test "$(status_of "$besedka" serve --workdir "$scratch/none")" = 2
check "a missing token file exits 1" \
    test "$(status_of "$besedka" serve --listen 127.0.0.1:0 --token-file "$scratch/none" "$work")" = 1

# Loopback, and one server a port.
start_server plain --rate 0 "$work"
check "it says where it listens" grep -qx "listening on http://127.0.0.1:[0-9]*" "$plain_err"
check "health answers" test "$(status_code "$plain_url/v1/health")" = 200
port=${plain_url##*:}
second=$("$besedka" serve --listen "127.0.0.1:$port" "$work" 2>&1)
check "a second server on its port exits 1" \
    test "$(status_of "$besedka" serve --listen "127.0.0.1:$port" "$work")" = 1
check "... saying the port is taken" grep -q "Address already in use" <<<"$second"

# Three conversations open at a stop: each ends with its block in the log.
for id in a b c; do say "$plain_url" "$id" "Привет" >/dev/null; done
dialogues() { "$besedka" kb stats "$work" | awk '/^dialogues in/ { print $NF }'; }
before=$(dialogues)
stop_server "$plain_pid"
check "SIGTERM exits 0" test "$stop_status" = 0
check "... within 5 seconds" test "$stop_ms" -lt 5000
check "... with a log block for each open conversation" test "$(dialogues)" = $((before + 3))
check "... and says it stops" grep -q "stopping" "$plain_err"

# A token guards every address; another address is allowed with one.
head -c 24 /dev/urandom | base64 >"$scratch/token"
start_server guarded --token-file "$scratch/token" "$work"
check "no token: 401" test "$(status_code "$guarded_url/v1/stats")" = 401
check "a wrong token: 401" \
    test "$(status_code -H "Authorization: Bearer wrong-token-wrong" "$guarded_url/v1/stats")" = 401
check "the token: 200" \
    test "$(status_code -H "Authorization: Bearer $(cat "$scratch/token")" "$guarded_url/v1/stats")" = 200
check "health needs none" test "$(status_code "$guarded_url/v1/health")" = 200
stop_server "$guarded_pid"
check "stopped" test "$stop_status" = 0
"$besedka" serve --listen 0.0.0.0:0 --token-file "$scratch/token" "$work" 2>"$scratch/any.err" &
any_pid=$!
sleep 0.5
check "any address with a token listens" grep -q "listening on http://0.0.0.0:" "$scratch/any.err"
stop_server "$any_pid"

# TLS.
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=127.0.0.1 \
    -keyout "$scratch/key.pem" -out "$scratch/cert.pem" 2>/dev/null
start_server tls --tls-cert "$scratch/cert.pem" --tls-key "$scratch/key.pem" "$work"
check "TLS: it says https" grep -q "^listening on https://127.0.0.1:" "$tls_err"
check "TLS: a turn over HTTPS" test "$(status_code -k -H 'Content-Type: application/json' \
    -d '{"text": "Привет"}' "$tls_url/v1/conversations/t/messages")" = 200
check "TLS: plain HTTP gets nothing" test "$(status_code "http://${tls_url#https://}/v1/health")" = 000
stop_server "$tls_pid"
echo "not a key" >"$scratch/bad.pem"
bad_tls=$("$besedka" serve --listen 127.0.0.1:0 --tls-cert "$scratch/cert.pem" \
    --tls-key "$scratch/bad.pem" "$work" 2>&1)
check "TLS: a bad key exits 1" test "$(status_of "$besedka" serve --listen 127.0.0.1:0 \
    --tls-cert "$scratch/cert.pem" --tls-key "$scratch/bad.pem" "$work")" = 1
check "... naming the files" grep -q "bad.pem" <<<"$bad_tls"

# A stalled client holds its worker only for the read timeout, even when it
# is the only worker.
start_server stalled --max-connections 1 --rate 0 "$work"
python3 - "${stalled_url##*:}" <<'PY' &
import socket, sys, time
s = socket.create_connection(("127.0.0.1", int(sys.argv[1])))
s.sendall(b"GET /v1/health HTTP/1.1\r\n")  # and nothing more
time.sleep(12)
PY
staller=$!
sleep 0.3
check "a stalled client frees the only worker" \
    test "$(status_code --max-time 10 "$stalled_url/v1/health")" = 200
kill "$staller" 2>/dev/null
stop_server "$stalled_pid"

# A flood from one address gets 429; another address is served meanwhile.
start_server limited --rate 20 "$work"
python3 - "$limited_url" "$scratch/flood" <<'PY' &
import http.client, sys, time
url = sys.argv[1].split("//")[1]
host, port = url.split(":")
counts = {}
end = time.time() + 3
conn = http.client.HTTPConnection(host, int(port), source_address=("127.0.0.2", 0))
while time.time() < end:
    conn.request("GET", "/v1/health")
    r = conn.getresponse()
    r.read()
    counts[r.status] = counts.get(r.status, 0) + 1
    if r.getheader("Connection") == "close":
        conn.close()
        conn = http.client.HTTPConnection(host, int(port), source_address=("127.0.0.2", 0))
open(sys.argv[2], "w").write("%d %d\n" % (counts.get(200, 0), counts.get(429, 0)))
PY
flooder=$!
sleep 0.5
slow=0
for _ in $(seq 20); do
    took=$(curl -s -o /dev/null -w '%{http_code} %{time_total}' "$limited_url/v1/health")
    [ "${took% *}" = 200 ] || slow=$((slow + 1))
    awk -v t="${took#* }" 'BEGIN { exit !(t > 0.2) }' && slow=$((slow + 1))
    sleep 0.1
done
wait "$flooder"
read -r flood_ok flood_refused <"$scratch/flood"
check "the flood got 429s" test "$flood_refused" -gt 100
check "... and at most its rate answered (burst 40, 20 a second)" test "$flood_ok" -le 110
check "the other address was answered at once each time" test "$slow" = 0
stop_server "$limited_pid"

finish serve_cli
