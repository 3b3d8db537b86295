# Truncated input, a reader that goes away, and inputs of a hundred
# megabytes: the table or the right diagnostic, and bounded memory.
#   hostile.sh ZORVICK [RSS_LIMIT_KB]   (0 skips the memory bound)
source "$(dirname "$0")/lib.sh"
rss_limit=${2:-8192}

# Every cut of an input, line end included: each prefix gives exactly this
# outcome.  (A trailing x keeps the line end through $(...).)
cuts=(eof eof eof eof 'bad real number in item 1' eof eof eof eof 'no value for item 2'
      'real value where an integer was expected in item 3'
      'real value where an integer was expected in item 3')
full=$(printf '1.5d0 ,2*3\n'; printf x); full=${full%x}
for len in $(seq 0 ${#full}); do
    want=${cuts[$len]}
    [[ $want == eof ]] && want='end of file'
    check "cut-$len" "${full:0:$len}" 2 "$prompt" "$diag6$want
"
done
full=$(printf '1 2 3\n'; printf x); full=${full%x}
for len in $(seq 0 ${#full}); do
    if ((len >= 5)); then
        check "cut-example-$len" "${full:0:$len}" 0 "$example" ''
    else
        check "cut-example-$len" "${full:0:$len}" 2 "$prompt" "${diag6}end of file
"
    fi
done

# A reader that leaves after two lines.  With SIGPIPE at its default the
# tool ends on the signal, quietly; with SIGPIPE ignored (inherited) the
# failed row write is reported.
echo "1e60 1e60 1000000" | timeout 60 "$zorvick" 2>"$work/err" | head -n 2 >"$work/out"
status=${PIPESTATUS[1]}
verdict sigpipe-default 141 "$prompt   1************    0.000000              2
" '' "$status"
(trap '' PIPE; echo "1e60 1e60 1000000" | timeout 60 "$zorvick" 2>"$work/err" | head -n 1 >"$work/out"; exit "${PIPESTATUS[1]}")
verdict sigpipe-ignored 2 "$prompt" "${diag12}Broken pipe
" $?

# Inputs of unbounded size are read as streams: memory stays small.
bounded()
{
    local name=$1 kb
    kb=$(sed -n 's/.*Maximum resident set size (kbytes): //p' "$work/time")
    echo "$name: peak RSS $kb KB"
    if ((rss_limit > 0 && kb >= rss_limit)); then
        failures=$((failures + 1))
        echo "FAIL $name: peak RSS $kb KB, limit $rss_limit KB"
    fi
}
{ head -c 100000000 /dev/zero | tr '\0' ' '; echo "1 2 3"; } |
    /usr/bin/time -v -o "$work/time" timeout 120 "$zorvick" >"$work/out" 2>"$work/err"
verdict blanks-100MB 0 "$example" '' $?
bounded blanks-100MB
# tmin is 1 followed by ten million zeros, scaled back by its exponent: 1
{ printf 1; head -c 10000000 /dev/zero | tr '\0' 0; echo "e-10000000 2 3"; } |
    /usr/bin/time -v -o "$work/time" timeout 120 "$zorvick" >"$work/out" 2>"$work/err"
verdict digits-10MB 0 "$example" '' $?
bounded digits-10MB

finish
