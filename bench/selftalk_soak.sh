#!/usr/bin/env bash
# The long self-talk run: builds the release window with the soak program,
# starts it under Xvfb with a window manager (openbox) on a fresh copy of the
# starter working directory, lets it talk to itself in Cpu\Cpu mode at the
# editor's 1 ms interval for SECONDS (600 by default) while real key presses
# and menu clicks are sent to it, and prints the figures. The program ends by
# a typed farewell; the run fails when it does not, when no dialogue log was
# written, or when an error box was shown.
#
# Usage: bench/selftalk_soak.sh [SECONDS]
# Leaves the samples (selftalk_soak.csv), the report (selftalk_soak.txt) and
# the screen at the end (selftalk_soak.png) in build/soak.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-600}
build=build/soak

scripts/install-deps
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBESEDKA_BENCH=ON \
    -DBESEDKA_TESTS=OFF >/dev/null
ninja -C "$build" selftalk_soak besedka >/dev/null

. scripts/x-session.sh
work=$(mktemp -d)
cleanup() {
    stop_x_session
    rm -rf "$work"
}
trap cleanup EXIT

mkdir -p "$work/dir" "$work/runtime"
chmod 700 "$work/runtime"
cp -r data/. "$work/dir/"
export XDG_RUNTIME_DIR="$work/runtime" XDG_STATE_HOME="$work/state" QT_QPA_PLATFORM=xcb
unset WAYLAND_DISPLAY BESEDKA_CLOCK

start_x_session "$work" 1024x768x24 || exit 1

status=0
timeout $((seconds + 120)) "$build/bench/soak/selftalk_soak" --workdir "$work/dir" \
    --seconds "$seconds" --screenshot "$build/selftalk_soak.png" \
    --csv "$build/selftalk_soak.csv" | tee "$build/selftalk_soak.txt" || status=$?
[ "$status" -eq 0 ] || { echo "selftalk_soak: the run failed with status $status" >&2; exit 1; }
grep -q 'error boxes shown: 0$' "$build/selftalk_soak.txt" ||
    { echo "selftalk_soak: error boxes were shown" >&2; exit 1; }
echo "Dialogue log: $(build/soak/app/besedka kb lines "$work/dir/Base/Log.Halden" | wc -l) lines;" \
    "screen at the end: $build/selftalk_soak.png"
