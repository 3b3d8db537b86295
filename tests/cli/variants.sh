# glibc picks its log and sin at run time by CPU, with or without FMA, and
# the variants differ in the last bit for a few arguments.  The tables of
# the README's examples (the quick start and the t of its accuracy table)
# must print the same either way.  Where the CPU has no FMA, or the tool
# is built for another CPU, the tunable changes nothing, and the test is
# skipped.
source "$(dirname "$0")/lib.sh"
if [[ -n ${ZORVICK_EMULATOR:-} ]]; then
    echo "skipped: the tunable names x86-64's variants, and the tool runs for another CPU here"
    finish
    exit
fi
if ! grep -q -w fma /proc/cpuinfo; then
    echo "skipped: no FMA on this CPU, so glibc has one variant here"
    finish
    exit
fi
other=GLIBC_TUNABLES=glibc.cpu.hwcaps=-AVX2,-FMA,-FMA4,-AVX512F
for input in "1 2 3" "0.1 0.5 5" "0.25 0.25 2" "3 5 2"; do
    want=$(echo "$input" | timeout 120 "$zorvick"; printf x)
    echo "$input" | timeout 120 env "$other" "$zorvick" >"$work/out" 2>"$work/err"
    verdict "without-fma: $input" 0 "${want%x}" '' $?
done
finish
