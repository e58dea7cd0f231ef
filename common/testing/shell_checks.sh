# Sourced by the shell tests: a scratch folder removed on exit ($work), `check NAME COMMAND...`
# that counts a pass when the command succeeds and reports a failure by name, and `finish`, which
# prints the counts and gives the script's exit status.
#   source common/testing/shell_checks.sh PREFIX
work=$(mktemp -d "/tmp/${1:-kd-test}-XXXXXX")
trap 'rm -rf "$work"' EXIT
failures=0
passes=0
check() { # check NAME COMMAND...: the command must succeed
    local name=$1
    shift
    if "$@"; then
        passes=$((passes + 1))
    else
        echo "FAIL: $name" >&2
        failures=$((failures + 1))
    fi
}
finish() {
    echo "$passes passed, $failures failed"
    [ "$failures" -eq 0 ]
}
