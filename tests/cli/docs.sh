# The diagnostics that the README and the manual page list are exactly the
# ones the tool writes, so that neither can drift from the tool or from the
# other.  The item number is compared as N.
#   docs.sh ZORVICK SOURCE_DIR
source "$(dirname "$0")/lib.sh"
src=$2

# One cause of each kind, the message as the tool writes it.
written()
{
    local input
    for input in '1e 2 3' '1 2 3.0' '1 2 2147483648' '0*1' '200000001*1' '3*1' '1,,3' ''; do
        printf '%s' "$input" | timeout 60 "$zorvick" 2>&1 >/dev/null
    done
    timeout 60 "$zorvick" 2>&1 >/dev/null <&-
    timeout 60 "$zorvick" 2>&1 >/dev/null </
    echo "1 2 3" | timeout 60 "$zorvick" 2>&1 >/dev/full
    echo "1 2 3" | timeout 60 "$zorvick" 2>&1 >&-
    (ulimit -f 1; trap - XFSZ; echo "1e60 1e60 100" | timeout 60 "$zorvick" 2>&1 >"$work/file")
    # 4 MB of rows, more than a pipe holds: the reader leaves first.
    (trap '' PIPE; echo "1e60 1e60 100000" | timeout 60 "$zorvick" 2>"$work/pipe" | head -c 100 >/dev/null)
    cat "$work/pipe"
}
normal() { sed -E 's/(in|for) item [0-9N]$/\1 item N/' | sort -u; }

written | normal >"$work/tool"
grep -o '`zorvick:[0-9]*: [^`]*`' "$src/README.md" | tr -d '`' | normal >"$work/readme"
sed -n 's/^\.B zorvick:/zorvick:/p' "$src/doc/zorvick.1" | normal >"$work/manual"
# The verdict's status is the number of distinct messages the tool wrote,
# its output the difference from the document's list.
for doc in readme manual; do
    diff "$work/tool" "$work/$doc" >"$work/out"
    : >"$work/err"
    verdict "diagnostics-in-$doc" 14 '' '' "$(wc -l <"$work/tool")"
done
finish
