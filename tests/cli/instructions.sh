# The machine code of the tool: no fused multiply-add anywhere (a fused
# product changes the rounding of the terms and so the table), and kernels
# for the wider instruction sets that really use their vectors.
set -u
dis=$(objdump -d --no-show-raw-insn "$1") || exit 1
fused=$(grep -c -E $'\tvfn?m(add|sub)' <<<"$dis")
ymm=$(grep -c 'ymm' <<<"$dis")
zmm=$(grep -c 'zmm' <<<"$dis")
echo "fused multiply-adds: $fused, instructions on ymm: $ymm, on zmm: $zmm"
[[ $fused == 0 && $ymm -gt 0 && $zmm -gt 0 ]]
