# The tool for arm64, as Debian users without an arm64 machine can build
# and test it: Debian's cross compiler, GoogleTest from its source package,
# and the default tests (unit and cli) run under qemu-user.  The tables the
# cli tests check are those of x86-64, byte for byte.
#   cross.sh SOURCE_DIR WORK_DIR
set -uo pipefail
src=$1 work=$2
die() { echo "arm64: $*" >&2; exit 1; }
for tool in aarch64-linux-gnu-g++ qemu-aarch64; do
    command -v $tool >/dev/null || die "$tool not found: scripts/install-deps test"
done
[[ -f /usr/src/googletest/CMakeLists.txt ]] || die "GoogleTest's sources not found: scripts/install-deps test"
[[ -f /usr/aarch64-linux-gnu/lib/ld-linux-aarch64.so.1 ]] || die "the arm64 C library not found: scripts/install-deps test"
started=$SECONDS
source "$(dirname "$0")/../steps.sh"
mkdir -p "$work"
build=$work/build
step 120 "configure" cmake -S "$src" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_TOOLCHAIN_FILE="$src/cmake/aarch64-linux-gnu.cmake" -DZORVICK_WERROR=ON
grep -q "calls the C library's log and sin" "$work/log" || die "configure did not leave out the fast logarithm and sine"
step 900 "build" cmake --build "$build"
file "$build/zorvick" | grep -q 'ARM aarch64' || die "not an arm64 binary: $(file "$build/zorvick")"
step 1200 "tests under qemu" ctest --test-dir "$build" -L 'unit|cli' -j 2 --output-on-failure
grep -E 'tests passed' "$work/log"
echo "arm64: $((SECONDS - started)) s in all"
