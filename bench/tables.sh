#!/usr/bin/env bash
# Whole tables, one build against another: each input is run with each
# build on all CPUs and pinned to one (taskset -c 0), alternately, ROUNDS
# times.  Prints per input and pinning the median wall and CPU (user +
# sys) seconds of each build, the median of the per-round ratios OLD/NEW,
# the median time to the first row and its ratio NEW/OLD, and the peak
# resident memory; then, for each build, how many times faster it ran on
# all CPUs than pinned and how many times the CPU time it took (medians of
# the ratios within a round).  The machine is shared and its speed drifts
# over minutes, so the ratio of two runs made back to back is what means
# something.  OLD and NEW may be the same build.  PINS=all runs on all CPUs
# only.
#   bench/tables.sh OLD NEW [ROUNDS] [INPUT...]
set -euo pipefail
export LC_ALL=C  # the shell's clock and bc with a decimal point
old=$1 new=$2
rounds=${3:-5}
shift 3 || shift $#
inputs=("$@")
[[ ${#inputs[@]} -gt 0 ]] || inputs=("2.5 3.5 11" "0.1 1 100000")
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

median() { sort -g | awk '{a[NR] = $1} END {if (NR) print (NR % 2) ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2}'; }

# run BUILD INPUT PINNING [COMMAND...]: appends "first total rss_kb cpu" to
# $tmp/BUILD-PINNING
run()
{
    local build=$1 input=$2 out=$tmp/$1-$3
    shift 3
    local zorvick=$old
    [[ $build == new ]] && zorvick=$new
    # The shell's own clock: a date process for each time stamp added
    # 30 ms to every run here, a tenth of a short table's time.
    local start first end
    start=$EPOCHREALTIME
    echo "$input" | /usr/bin/time -f '%M %U %S' -o "$tmp/time" "$@" "$zorvick" |
        { read -r _; read -r _; echo "$EPOCHREALTIME" >"$tmp/first"; cat >/dev/null; }
    end=$EPOCHREALTIME
    first=$(<"$tmp/first")
    read -r rss user sys <"$tmp/time"
    echo "$(echo "$first - $start" | bc) $(echo "$end - $start" | bc) $rss $(echo "$user + $sys" | bc)" >>"$out"
}

echo "cpus: $(nproc), rounds: $rounds"
for input in "${inputs[@]}"; do
    rm -f "$tmp"/*-all "$tmp"/*-one
    for _ in $(seq "$rounds"); do
        for pin in ${PINS:-all one}; do
            pinning=()
            [[ $pin == one ]] && pinning=(taskset -c 0)
            run old "$input" $pin "${pinning[@]}"
            run new "$input" $pin "${pinning[@]}"
        done
    done
    for pin in ${PINS:-all one}; do
        col() { cut -d' ' -f"$2" "$tmp/$1-$pin"; }
        speedup=$(paste -d' ' <(col old 2) <(col new 2) | awk '{print $1 / $2}' | median)
        later=$(paste -d' ' <(col new 1) <(col old 1) | awk '{print $1 / $2}' | median)
        rss=$(cat "$tmp/old-$pin" "$tmp/new-$pin" | cut -d' ' -f3 | sort -n | tail -1)
        printf '"%s" %s CPU(s): old %.2fs (CPU %.2fs), new %.2fs (CPU %.2fs), old/new %.2f; first row old %.3fs, new %.3fs (%.2f times); peak RSS %d KB\n' \
            "$input" "$([[ $pin == all ]] && nproc || echo 1)" "$(col old 2 | median)" "$(col old 4 | median)" \
            "$(col new 2 | median)" "$(col new 4 | median)" "$speedup" \
            "$(col old 1 | median)" "$(col new 1 | median)" "$later" "$rss"
    done
    if [[ -z ${PINS:-} ]]; then
        for build in old new; do
            # columns 1-4 the run on all CPUs, 5-8 the pinned run of the same round
            both=$tmp/$build-both
            paste -d' ' "$tmp/$build-all" "$tmp/$build-one" >"$both"
            faster=$(awk '{print $6 / $2}' "$both" | median)
            # CPU time is counted in hundredths: a run too short for it has none
            cpu=$(awk '$4 > 0 && $8 > 0 {print $4 / $8}' "$both" | median)
            printf '"%s" %s on %s CPUs against pinned: %.2f times faster, %s the CPU time\n' \
                "$input" "$build" "$(nproc)" "$faster" "$([[ -n $cpu ]] && printf '%.2f times' "$cpu" || echo 'too short to tell')"
        done
    fi
done
