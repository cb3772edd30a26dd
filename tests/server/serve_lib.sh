# Sourced by the serve test scripts: start a server on a free port and wait
# for its "listening on" line, talk to it with curl, stop it.
source "$(dirname "${BASH_SOURCE[0]}")/../app/cli/checks.sh"

# start_server NAME ARGS...: starts `besedka serve --listen 127.0.0.1:0 ARGS`
# in the background; sets NAME_pid, NAME_url and NAME_err (its stderr file).
start_server() {
    local name=$1
    shift
    local err=$scratch/$name.err
    : >"$err"
    "$besedka" serve --listen 127.0.0.1:0 "$@" 2>"$err" &
    local pid=$!
    local url=""
    for _ in $(seq 200); do
        url=$(sed -n 's/^listening on \(https\?:\/\/.*\)$/\1/p' "$err")
        [ -n "$url" ] && break
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.05
    done
    printf -v "${name}_pid" '%s' "$pid"
    printf -v "${name}_url" '%s' "$url"
    printf -v "${name}_err" '%s' "$err"
}

# stop_server PID: SIGTERM; sets stop_status to its exit status (124 when
# it took over 10 s) and stop_ms to how long it took.
stop_server() {
    local start
    start=$(date +%s%N)
    kill -TERM "$1" 2>/dev/null
    for _ in $(seq 200); do
        kill -0 "$1" 2>/dev/null || break
        sleep 0.05
    done
    if kill -0 "$1" 2>/dev/null; then
        kill -9 "$1"
        wait "$1" 2>/dev/null
        stop_status=124
    else
        wait "$1"
        stop_status=$?
    fi
    stop_ms=$((($(date +%s%N) - start) / 1000000))
}

# say URL ID TEXT: POSTs {"text": TEXT} (TEXT without quotes or
# backslashes); prints the body, then the status on a line of its own.
say() {
    curl -s -w '\n%{http_code}\n' -H 'Content-Type: application/json' \
        -d "{\"text\": \"$3\"}" "$1/v1/conversations/$2/messages"
}

# status_code CURL-ARGS...: the status of one request.
status_code() { curl -s -o /dev/null -w '%{http_code}' "$@"; }
