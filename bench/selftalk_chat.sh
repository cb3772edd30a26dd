#!/usr/bin/env bash
# Self-talk through the terminal chat: on a fresh copy of the starter working
# directory, `besedka chat` switches to Cpu\Cpu and runs STEPS self-talk steps
# (/tick) in one session, for each STEPS given (1000 and 5000 by default), and
# prints how far the knowledge base grew. The clock is the reproducible one
# (BESEDKA_CLOCK, 10:00 unless set), so a shorter run is exactly the start of a
# longer one.
#
# Usage: bench/selftalk_chat.sh [STEPS...]
# BESEDKA=path/to/besedka runs that program instead of the release build.
set -euo pipefail
cd "$(dirname "$0")/.."

[ $# -gt 0 ] || set -- 1000 5000
for steps in "$@"; do
    [[ $steps =~ ^[0-9]+$ ]] || { echo "usage: bench/selftalk_chat.sh [STEPS...]" >&2; exit 2; }
done
build=build/bench
if [ -z "${BESEDKA:-}" ]; then
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBESEDKA_TESTS=OFF \
        -DBESEDKA_GUI=OFF >/dev/null
    ninja -C "$build" besedka >/dev/null
    BESEDKA=$build/app/besedka
fi
export BESEDKA_CLOCK=${BESEDKA_CLOCK:-36000000}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Time in seconds: wall clock and CPU (user + system). Tree lines count line 0.
printf '%8s %6s %5s %11s %14s %12s %9s %9s\n' steps wall cpu "tree lines" "different keys" \
    "tree bytes" "W1 lines" "W2 lines"
lines() { "$BESEDKA" kb lines "$1" | wc -l; }
for steps in "$@"; do
    rm -rf "$work/dir" && mkdir "$work/dir" && cp -r data/. "$work/dir/"
    TIMEFORMAT='%R %U %S'
    if ! { time { echo /cpu; seq "$steps" | sed 's|.*|/tick|'; echo /quit; } |
        "$BESEDKA" chat --workdir "$work/dir" >/dev/null 2>"$work/err"; } 2>"$work/time"; then
        cat "$work/err" >&2
        exit 1
    fi
    read -r wall user sys <"$work/time"
    base=$work/dir/Base
    keys=$("$BESEDKA" kb lines "$base/Words.Dat" | tail -n +2 |
        sed -e 's/^_*//' -e 's/\^.*//' | LC_ALL=C sort -u | wc -l)
    printf '%8d %6.1f %5.1f %11d %14d %12d %9d %9d\n' "$steps" "$wall" \
        "$(awk -v u="$user" -v s="$sys" 'BEGIN { print u + s }')" \
        "$(lines "$base/Words.Dat")" "$keys" "$(stat -c %s "$base/Words.Dat")" \
        "$(lines "$base/W1.Dat")" "$(lines "$base/W2.Dat")"
done
