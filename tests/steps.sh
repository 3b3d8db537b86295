# step SECONDS WHAT COMMAND...: runs the command bounded in time (killed
# past it), its output in $work/log, and says how long it took; on failure
# shows the end of the log and dies.  For scripts that set work and die.
step()
{
    local limit=$1 what=$2
    shift 2
    local t0=$SECONDS
    if ! timeout --kill-after=10 "$limit" "$@" >"$work/log" 2>&1; then
        tail -n 40 "$work/log"
        die "$what failed or took more than $limit s"
    fi
    echo "$what: $((SECONDS - t0)) s"
}
