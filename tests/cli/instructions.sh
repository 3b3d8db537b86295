# The machine code of the tool: fused multiply-adds only where they are
# meant, in the fast logarithm and sine (every result decided by a rounding
# test) and in the row kernels of the sets with FMA, which divide by a
# midpoint through its reciprocal (the division's own bits); none in the
# adds, the stopping test or anywhere else, where a fused product would
# change the rounding and so the table.  And kernels for the wider
# instruction sets that really use their vectors.
set -u
dis=$(objdump -d -C --no-show-raw-insn "$1") || exit 1
# Each fused instruction with the function it is in.
fused=$(awk '/^[0-9a-f]+ <.*>:$/ {fn = $0} /\tvfn?m(add|sub)/ {print fn}' <<<"$dis" | sort | uniq -c)
rows='zorvick::quadrature::avx(2|512)::(terms\(|sum\(|across\(|\(anonymous namespace\)::(group<|blocks\(|rows<|across_by<))'
outside=$(grep -Ev "zorvick::quadrature::libm::|$rows" <<<"$fused")
inside=$(grep -c 'zorvick::quadrature::libm::' <<<"$fused")
kernels=$(grep -Ec "$rows" <<<"$fused")
ymm=$(grep -c 'ymm' <<<"$dis")
zmm=$(grep -c 'zmm' <<<"$dis")
echo "functions with fused multiply-adds: $inside in the fast logarithm and sine, $kernels row kernels, others:${outside:- none}"
echo "instructions on ymm: $ymm, on zmm: $zmm"
[[ -z $outside && $kernels -gt 0 && $ymm -gt 0 && $zmm -gt 0 ]]
