# Sourced (not run) by the scripts that drive a window, after they set
# `script` to their name: a temporary folder `work`, fail(), which shows the
# program's output, and the starter working directory copied into work/dir.

work=$(mktemp -d)
program_pid=

# Ends the program under test if it still runs.
stop_program() {
    if [ -n "$program_pid" ] && kill -0 "$program_pid" 2>/dev/null; then
        kill "$program_pid" 2>/dev/null || true
    fi
}

fail() {
    echo "$script: $*" >&2
    if [ -f "$work/program.log" ]; then
        echo "--- program output ---" >&2
        cat "$work/program.log" >&2
    fi
    exit 1
}

# copy_starter DATA: work/dir becomes a copy of DATA, with runtime and state
# folders of the test's own and no Wayland display.
copy_starter() {
    mkdir -p "$work/dir" "$work/runtime"
    chmod 700 "$work/runtime"
    cp -r "$1/." "$work/dir/"
    export XDG_RUNTIME_DIR="$work/runtime" XDG_STATE_HOME="$work/state"
    export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=0}"
    unset WAYLAND_DISPLAY QT_QPA_PLATFORM
}
