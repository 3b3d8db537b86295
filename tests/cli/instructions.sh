# The machine code of the tool: no fused multiply-add outside the fast
# logarithm and sine (a fused product in a term, a sum or the stopping test
# changes the rounding and so the table; inside the fast path every result
# is decided by a rounding test), and kernels for the wider instruction sets
# that really use their vectors.
set -u
dis=$(objdump -d -C --no-show-raw-insn "$1") || exit 1
# Each fused instruction with the function it is in.
fused=$(awk '/^[0-9a-f]+ <.*>:$/ {fn = $0} /\tvfn?m(add|sub)/ {print fn}' <<<"$dis" | sort | uniq -c)
outside=$(grep -v 'zorvick::quadrature::libm::' <<<"$fused")
inside=$(grep -c 'zorvick::quadrature::libm::' <<<"$fused")
ymm=$(grep -c 'ymm' <<<"$dis")
zmm=$(grep -c 'zmm' <<<"$dis")
echo "functions with fused multiply-adds: $inside in the fast logarithm and sine, others:${outside:- none}"
echo "instructions on ymm: $ymm, on zmm: $zmm"
[[ -z $outside && $ymm -gt 0 && $zmm -gt 0 ]]
