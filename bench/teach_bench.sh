#!/usr/bin/env bash
# Teaching, export and import beside the plain file work they rest on, with
# the release build: teaches 1,000,000 utterances (500,000 pairs in 5,000
# dialogues) to a copy of the starter data and compares it with `kb from-text`
# writing a file of the same lines as the tree written; exports and imports a
# 100,000-line tree and compares each with `kb lines` on it. Prints the
# median of RUNS runs (3 by default) and the peak memory of the teaching.
#
# Usage: bench/teach_bench.sh [RUNS]
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-3}
build=build/bench
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBESEDKA_BENCH=ON \
    -DBESEDKA_TESTS=OFF -DBESEDKA_GUI=OFF >/dev/null
ninja -C "$build" besedka >/dev/null
besedka=$PWD/$build/app/besedka
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_STATE_HOME=$work/state

# Seconds of one run of a command, the median of $runs, after `prepare`.
median() { # prepare-command, then the command
    local prepare=$1
    shift
    for _ in $(seq "$runs"); do
        eval "$prepare"
        /usr/bin/time -f %e -o "$work/t" "$@" >/dev/null
        cat "$work/t"
    done | sort -n | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }'
}
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }

awk 'BEGIN { for (d = 0; d < 5000; d++) { for (i = 0; i < 200; i++)
    printf "Реплика номер %d в разговоре %d, сказанная %s\n", i, d, (i % 2 ? "в ответ" : "первой"); print "" } }' \
    >"$work/dialogues.txt"
fresh() { rm -rf "$work/w" && cp -r data "$work/w"; }
teach_s=$(median fresh "$besedka" kb teach "$work/dialogues.txt" "$work/w")
fresh
/usr/bin/time -f %M -o "$work/rss" "$besedka" kb teach "$work/dialogues.txt" "$work/w" >/dev/null
tree_bytes=$(stat -c %s "$work/w/Base/Words.Dat")
"$besedka" kb lines "$work/w/Base/Words.Dat" >"$work/tree.txt"
from_text_s=$(median : "$besedka" kb from-text "$work/tree.txt" "$work/out.rtf")
from_dialogues_s=$(median : "$besedka" kb from-text "$work/dialogues.txt" "$work/out.rtf")
rss_bytes=$(($(cat "$work/rss") * 1024))

awk 'BEGIN { print "Фразы"; for (i = 1; i < 100000; i++)
    printf "%sКЛЮЧ НОМЕР %d^Ответ на ключ %d.;Ещё ответ!;\n", substr("__", 1, i % 3), i, i }' >"$work/big.txt"
fresh
"$besedka" kb from-text "$work/big.txt" "$work/w/Base/Words.Dat"
"$besedka" kb export "$work/w" >"$work/kb.json"
lines_s=$(median : "$besedka" kb lines "$work/w/Base/Words.Dat")
export_s=$(median : "$besedka" kb export "$work/w")
import_s=$(median : "$besedka" kb import "$work/kb.json" "$work/w")

printf 'teach 1,000,000 utterances      %6.2f s  (kb from-text of the tree written: %.2f s, ratio %s, goal 3;\n' \
    "$teach_s" "$from_text_s" "$(ratio "$teach_s" "$from_text_s")"
printf '                                           kb from-text of the 1,000,000 utterances: %.2f s)\n' "$from_dialogues_s"
printf 'teach peak memory               %6d MB (tree written %d MB, ratio %s, goal 4)\n' \
    $((rss_bytes >> 20)) $((tree_bytes >> 20)) "$(ratio "$rss_bytes" "$tree_bytes")"
printf 'export of a 100,000-line tree   %6.2f s  (kb lines: %.2f s, ratio %s, goal 3)\n' \
    "$export_s" "$lines_s" "$(ratio "$export_s" "$lines_s")"
printf 'import of a 100,000-line tree   %6.2f s  (ratio %s, goal 3)\n' \
    "$import_s" "$(ratio "$import_s" "$lines_s")"
