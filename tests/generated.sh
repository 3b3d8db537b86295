# A committed generated file equals what its script writes now.
#   generated.sh SCRIPT COMMITTED_FILE [ARGUMENTS...]
# runs SCRIPT OUT ARGUMENTS... and compares OUT with the committed file.
set -u
out=$(mktemp)
trap 'rm -f "$out"' EXIT
"$1" "$out" "${@:3}" || { echo "FAIL $1 did not run"; exit 1; }
if diff -u "$2" "$out"; then echo "$2: as $1 writes it"; else echo "FAIL $2 differs from what $1 writes"; exit 1; fi
