# The table as users and scripts see it: stdout bytes, diagnostics, status.
source "$(dirname "$0")/lib.sh"

check example            '1 2 3\n'                    0 "$example" ''
check commas-crlf        '1,\r\n2,\r\n3\r\n'          0 "$example" ''
check extra-values       '1.0d0, 2.0E0 , 3 4 5 /'     0 "$example" ''
check last-record-no-eol '\n\n1\n2\n3'                0 "$example" ''
check args-ignored       '1 2 3'                      0 "$example" '' --help -x 5
# Rows whose large passes are shared by threads: the same bytes on every CPU
# and on one.
rows="$prompt   1    1.000000    0.022950             64
   2    2.000000    0.001718        1048576
   3    3.000000    0.000308       33554432
"
check all-cpus           '1 3 3'                      0 "$rows" ''
launch=(taskset -c 0)
check one-cpu            '1 3 3'                      0 "$rows" ''
# Threads that cannot be created: the passes run on the calling thread.
# Root is exempt from the process limit, so the tool runs as nobody with a
# limit of one process, itself.  LeakSanitizer's check at exit needs a
# helper process, so a sanitizer build skips that check here.  An emulator
# (qemu-user) needs threads of its own, so the check is for native builds.
nobody=(setpriv --reuid=65534 --regid=65534 --clear-groups)
if [[ -n ${ZORVICK_EMULATOR:-} ]]; then
    echo "skipped no-threads: the emulator needs threads of its own"
elif [[ $(id -u) == 0 ]] && "${nobody[@]}" test -x "$zorvick" 2>/dev/null; then
    launch=(env ASAN_OPTIONS=detect_leaks=0 bash -c 'ulimit -u 1 && exec "$@"' limit "${nobody[@]}")
    check no-threads     '1 3 3'                      0 "$rows" ''
else
    echo "skipped no-threads: needs root and a tool that nobody may run"
fi
launch=()
check one-row            '1 1 1'                      0 "$prompt   1         NaN         NaN              2
" ''
check no-rows            '1 2 0'                      0 "$prompt" ''
check huge-t             '1e60 -1e60 2'               0 "$prompt   1************    0.000000              2
   2************    0.000000              2
" ''
check pole-on-midpoint   '-1.3862943611198906,-1.3862943611198906,2' 0 "$prompt   1   -1.386294    Infinity              2
   2   -1.386294    Infinity              2
" ''
check bad-integer        '1 2 3.0'                    2 "$prompt" "${diag6}bad integer in item 3
"
check bad-real           '1e 2 3'                     2 "$prompt" "${diag6}bad real number in item 1
"
check overflow           '1 2 2147483648'             2 "$prompt" "${diag6}integer overflow in item 3
"
check repeat-to-integer  '1.5d0 ,2*3\n'               2 "$prompt" "${diag6}real value where an integer was expected in item 3
"
check zero-repeat        '1 0*2'                      2 "$prompt" "${diag6}zero repeat count in item 2
"
check repeat-overflow    '1 2 200000001*3'            2 "$prompt" "${diag6}repeat count overflow in item 3
"
check null-value         '1,,3'                       2 "$prompt" "${diag6}no value for item 2
"
check empty              ''                           2 "$prompt" "${diag6}end of file
"
check two-values         '1 2\n'                      2 "$prompt" "${diag6}end of file
"
finish
