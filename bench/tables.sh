#!/usr/bin/env bash
# Whole-process timing: each table run unpinned and pinned to one CPU
# (taskset -c 0), alternately, ROUNDS times; prints the median wall times,
# the median of the per-round ratios and the peak resident memory.  The
# machine is shared and its speed drifts over minutes, so the ratio of two
# runs made back to back is what means something.
#   bench/tables.sh ZORVICK [ROUNDS] [INPUT...]
set -euo pipefail
zorvick=$1
rounds=${2:-5}
shift 2 || true
inputs=("$@")
[[ ${#inputs[@]} -gt 0 ]] || inputs=("2.5 3.5 3" "0 1 2")

median() { sort -n | awk '{a[NR] = $1} END {print (NR % 2) ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2}'; }

echo "cpus: $(nproc)"
for input in "${inputs[@]}"; do
    : >/tmp/zorvick-free.$$; : >/tmp/zorvick-pinned.$$
    for _ in $(seq "$rounds"); do
        echo "$input" | /usr/bin/time -f "%e %M" -a -o /tmp/zorvick-free.$$ "$zorvick" >/dev/null
        echo "$input" | /usr/bin/time -f "%e %M" -a -o /tmp/zorvick-pinned.$$ taskset -c 0 "$zorvick" >/dev/null
    done
    free=$(cut -d' ' -f1 /tmp/zorvick-free.$$ | median)
    pinned=$(cut -d' ' -f1 /tmp/zorvick-pinned.$$ | median)
    ratio=$(paste -d' ' /tmp/zorvick-pinned.$$ /tmp/zorvick-free.$$ | awk '{print $1 / $3}' | median)
    rss=$(cut -d' ' -f2 /tmp/zorvick-free.$$ | sort -n | tail -1)
    awk -v what="$input" -v f="$free" -v p="$pinned" -v r="$ratio" -v m="$rss" \
        'BEGIN {printf "\"%s\": all CPUs %.2fs, one CPU %.2fs, speed-up %.2f, peak RSS %d KB\n", what, f, p, r, m}'
done
rm -f /tmp/zorvick-free.$$ /tmp/zorvick-pinned.$$
