# Sourced by the command-line test scripts: named checks that count their
# failures, and a scratch directory removed at exit.
failures=0
check() { # description, then a command that must succeed
    local what=$1
    shift
    if ! "$@"; then
        echo "FAIL: $what"
        failures=$((failures + 1))
    fi
}
contains() { grep -qF -- "$2" <<<"$1"; }
status_of() { "$@" >/dev/null 2>&1; echo $?; }
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
# Ends the script with the number of failed checks as its status.
finish() {
    [ "$failures" -eq 0 ] && echo "$1: all checks passed"
    exit "$failures"
}
