# Standard input and output that cannot be read or written.
source "$(dirname "$0")/lib.sh"

echo "1 2 3" | timeout 60 "$zorvick" >"$work/file" 2>"$work/err"
status=$?
cp "$work/file" "$work/out"
verdict stdout-to-file 0 "$example" '' $status

echo "1 2 3" | timeout 60 "$zorvick" >/dev/full 2>"$work/err"
status=$?
: >"$work/out"
verdict stdout-full 2 '' "${diag5}No space left on device
" $status

echo "1 2 3" | timeout 60 "$zorvick" 2>"$work/err" >&-
status=$?
verdict stdout-closed 2 '' "${diag5}Bad file descriptor
" $status

timeout 60 "$zorvick" >"$work/out" 2>"$work/err" <&-
verdict stdin-closed 2 "$prompt" "${diag6}Bad file descriptor
" $?

timeout 60 "$zorvick" >"$work/out" 2>"$work/err" </
verdict stdin-directory 2 "$prompt" "${diag6}Is a directory
" $?

# A row that cannot be written: the file-size limit is 1024 bytes, so the
# 24th row fails.  SIGXFSZ at its default disposition, as a shell gives it:
# the tool must report EFBIG, not die of the signal.
(ulimit -f 1; trap - XFSZ; echo "1e60 1e60 100" | timeout 60 "$zorvick" >"$work/file" 2>"$work/err")
status=$?
: >"$work/out"
verdict row-too-large 2 '' "${diag12}File too large
" $status

# An address space just large enough for the tool to load: threads and the
# buffers of shared passes cannot be had, and the rows are computed on the
# calling thread alone with the same result; a diagnostic needs no memory
# either.  The smallest limit (KB) at which the tool starts depends on the
# machine, so it is found here.  Sanitizers reserve terabytes of address
# space and skip this ($2 = 0).
if [[ ${2:-0} != 0 ]]; then
    loads() { (ulimit -v "$1"; "$zorvick" </dev/null >/dev/null 2>&1); [[ $? == 2 ]]; }
    lo=1024 hi=65536
    while ((hi - lo > 16)); do
        mid=$(((lo + hi) / 2))
        if loads $mid; then hi=$mid; else lo=$mid; fi
    done
    # Where a process's stack and mappings lie varies from run to run
    # (address space layout randomisation), and with it the address space
    # it takes, by a page or two: within 8 KB of the smallest limit found
    # the tool loads in some runs only.  The limits start 16 KB above it.
    hi=$((hi + 16))
    twos="$prompt   1    2.000000    0.001718        1048576
   2    2.000000    0.001718        1048576
"
    for limit in $(seq "$hi" 128 $((hi + 4096))); do
        (ulimit -v "$limit"; echo "2 2 2" | timeout 60 "$zorvick" >"$work/out" 2>"$work/err")
        verdict "address-space-$limit" 0 "$twos" '' $?
    done
    (ulimit -v "$hi"; echo "1 2 3.0" | timeout 60 "$zorvick" >"$work/out" 2>"$work/err")
    verdict "address-space-diagnostic" 2 "$prompt" "${diag6}bad integer in item 3
" $?
fi

# Each row is written out when it and the rows before it are done: row 1
# must reach a file, and a pipe's reader, while row 2, at the point-count
# limit (t = 0, most of a minute) and evaluated beside it, is still being
# computed.
mkfifo "$work/rows"
for sink in file pipe; do
    if [[ $sink == file ]]; then
        echo "1 0 2" | "$zorvick" >"$work/file" 2>"$work/err" &
        pid=$!
        for _ in $(seq 300); do
            grep -q -F -e "$row1" "$work/file" && break
            sleep 0.1
        done
        cp "$work/file" "$work/out"
    else
        echo "1 0 2" | "$zorvick" >"$work/rows" 2>"$work/err" &
        pid=$!
        { IFS= read -r -t 30 p; IFS= read -r -t 30 r; printf '%s\n%s\n' "$p" "$r"; } <"$work/rows" >"$work/out"
    fi
    alive=$(kill -0 $pid 2>/dev/null && echo running || echo ended)
    kill $pid 2>/dev/null
    wait $pid 2>/dev/null
    : >"$work/err"
    verdict "row-written-at-once-to-$sink" running "$prompt$row1
" '' $alive
done

# The prompt is out before the read begins, with input still to come.
# (Waited for up to a minute: a loaded machine may take seconds to start
# the tool.)
mkfifo "$work/fifo"
timeout 60 "$zorvick" <"$work/fifo" >"$work/file" 2>"$work/err" &
pid=$!
exec 3>"$work/fifo"
for _ in $(seq 600); do
    [[ -s $work/file ]] && break
    sleep 0.1
done
cp "$work/file" "$work/out"
echo "1 2 0" >&3
exec 3>&-
wait $pid
verdict prompt-before-read 0 "$prompt" '' $?

finish
