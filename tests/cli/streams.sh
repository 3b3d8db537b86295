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
# 24th row fails; SIGXFSZ is ignored so that the write reports EFBIG.
(ulimit -f 1; trap '' XFSZ; echo "1e60 1e60 100" | timeout 60 "$zorvick" >"$work/file" 2>"$work/err")
status=$?
: >"$work/out"
verdict row-too-large 2 '' "${diag12}File too large
" $status

# Each row is written out when it is done: the first row must reach a file
# while the second, at the point-count limit (t = 0, most of a minute), is
# still being computed.
echo "1 0 2" | "$zorvick" >"$work/file" 2>"$work/err" &
pid=$!
for _ in $(seq 100); do
    grep -q -F -e "$row1" "$work/file" && break
    sleep 0.1
done
alive=$(kill -0 $pid 2>/dev/null && echo running || echo ended)
kill $pid 2>/dev/null
wait $pid 2>/dev/null
cp "$work/file" "$work/out"
: >"$work/err"
verdict row-written-at-once running "$prompt$row1
" '' $alive

# The prompt is out before the read begins, with input still to come.
mkfifo "$work/fifo"
timeout 60 "$zorvick" <"$work/fifo" >"$work/file" 2>"$work/err" &
pid=$!
exec 3>"$work/fifo"
for _ in $(seq 100); do
    [[ -s $work/file ]] && break
    sleep 0.1
done
cp "$work/file" "$work/out"
echo "1 2 0" >&3
exec 3>&-
wait $pid
verdict prompt-before-read 0 "$prompt" '' $?

finish
