# Helpers for the process-level tests: run the built tool, compare its
# standard output bytes, its diagnostic line and its exit status.
set -u
zorvick=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
passes=0

# verdict NAME STATUS EXPECTED_STDOUT EXPECTED_STDERR: judges $work/out,
# $work/err and the status of the run just made.  An exit of 124 is the
# timeout's: the tool hung.
verdict()
{
    local name=$1 want_status=$2 want_out=$3 want_err=$4 status=$5
    local out err
    out=$(cat "$work/out"; printf x); out=${out%x}
    err=$(cat "$work/err"; printf x); err=${err%x}
    if [[ $status == "$want_status" && $out == "$want_out" && $err == "$want_err" ]]; then
        passes=$((passes + 1))
        return
    fi
    failures=$((failures + 1))
    printf 'FAIL %s: status %s (want %s)\n--- stdout\n%s--- want\n%s--- stderr\n%s--- want\n%s\n' \
        "$name" "$status" "$want_status" "$out" "$want_out" "$err" "$want_err"
}

# check NAME INPUT STATUS EXPECTED_STDOUT EXPECTED_STDERR [ARGUMENTS...]
# runs "${launch[@]}" zorvick ARGUMENTS (launch is empty unless a test sets it)
launch=()
check()
{
    printf '%b' "$2" | timeout 60 "${launch[@]}" "$zorvick" "${@:6}" >"$work/out" 2>"$work/err"
    verdict "$1" "$3" "$4" "$5" "$?"
}

finish()
{
    echo "$passes passed, $failures failed"
    [[ $failures == 0 ]]
}

prompt='  tmin,tmax,nt:
'
# The table for "1 2 3", and its first row.
row1='   1    1.000000    0.022950             64'
example="$prompt$row1
   2    1.500000    0.005285           2048
   3    2.000000    0.001718        1048576
"

diag6='zorvick:6: read error on channel 5 (standard input): '
diag5='zorvick:5: write error on channel 6 (standard output): '
diag12='zorvick:12: write error on channel 6 (standard output): '
