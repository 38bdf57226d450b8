# Shared by the shell tests: counted checks and their conditions. The sourcing script sets $work
# (a scratch folder) before calling them, and ends with report_checks.

passed=0 failed=0
check() {  # check NAME CONDITION...
    local name=$1; shift
    if "$@"; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAILED: $name"; fi
}
exits() {  # exits CODE COMMAND...: the command exits with CODE
    local want=$1; shift
    "$@" >"$work/out" 2>"$work/err"
    local got=$?
    [ "$got" -eq "$want" ] || { echo "  exit $got, wanted $want: $*"; cat "$work/err"; return 1; }
}
stderr_has() { grep -qF -- "$1" "$work/err" || { echo "  stderr lacks '$1':"; cat "$work/err"; return 1; }; }
same_bytes() {
    cmp -s "$1" "$2" || { echo "  bytes differ: $1 $2"; cmp "$1" "$2" | head -3; return 1; }
}
report_checks() {
    echo "$passed passed, $failed failed"
    [ "$failed" -eq 0 ]
}
