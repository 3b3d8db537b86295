# The tool as users install it: the manual page is clean, the install rule
# puts the tool, the page and the README where they belong, and the Debian
# package, unpacked, runs the example and renders its page, with nothing
# from lintian; the Debian source package builds, lintian finds nothing in
# it, and builds again to the same bytes.
#   check.sh BUILD_DIR SOURCE_DIR CMAKE CPACK
set -u
build=$1 src=$2 cmake=$3 cpack=$4
source "$(dirname "$0")/../cli/lib.sh" "$build/zorvick"
for tool in mandoc groff lintian dpkg-deb dpkg-shlibdeps man; do
    command -v $tool >/dev/null || { echo "missing $tool: run scripts/install-deps test"; exit 1; }
done
pkg=$work/pkg
fail() { echo "FAIL $*"; failures=$((failures + 1)); }

lint=$(mandoc -Tlint -W warning "$src/doc/zorvick.1" 2>&1)
[[ -z $lint ]] || fail "mandoc -Tlint: $lint"
lint=$(groff -t -man -ww -z "$src/doc/zorvick.1" 2>&1)
[[ -z $lint ]] || fail "groff -t -man -ww: $lint"

"$cmake" --install "$build" --prefix "$pkg/usr" >/dev/null || fail "cmake --install"
installed=$(cd "$pkg/usr" && find . -type f | sort | tr '\n' ' ')
[[ $installed == "./bin/zorvick ./share/doc/zorvick/README.md ./share/doc/zorvick/doc/accuracy.svg ./share/man/man1/zorvick.1 " ]] ||
    fail "installed: $installed"

"$cpack" --config "$build/CPackConfig.cmake" -G DEB -B "$pkg/out" >/dev/null || fail "cpack"
deb=$(ls "$pkg"/out/zorvick_*_*.deb 2>/dev/null)
[[ -f $deb ]] || { fail "no package zorvick_<version>_<arch>.deb"; exit 1; }
# Its tags on standard output (as root it also says, on standard error,
# that root is not recommended).
lint=$(lintian --fail-on error,warning --tag-display-limit 0 "$deb" 2>"$work/err")
[[ $? == 0 && -z $lint ]] || fail "lintian: $lint $(cat "$work/err")"
echo "lintian: ${lint:-nothing}"
[[ $(dpkg-deb -f "$deb" Depends) == *libc6* ]] || fail "Depends: $(dpkg-deb -f "$deb" Depends)"
dpkg-deb -x "$deb" "$pkg/root"
# Lines as wide as the text, and any run of blanks as one: what is checked
# is the text, not how one version of groff spaces it.
page=$(MANWIDTH=1000 man -l "$pkg/root/usr/share/man/man1/zorvick.1.gz" 2>"$work/err" | tr -s '[:space:]' ' ')
[[ $page == *"tabulate the integral"* && $page == *DIAGNOSTICS* && $page == *"0.022950 (64)"* && ! -s $work/err ]] ||
    fail "man -l: $(cat "$work/err") $page"

zorvick=$pkg/root/usr/bin/zorvick
check packaged-example '1 2 3\n' 0 "$example" ''

# The Debian source package, as the archive would build it: lintian on its
# .changes (the .dsc, the source and the .deb), and a second build in
# another folder, later and in another time zone, that must give the same
# .deb byte for byte.  Without the tests at build time (nocheck): the dev
# workflow runs them.
if command -v dpkg-buildpackage >/dev/null && dpkg-checkbuilddeps -Pnocheck "$src/debian/control" 2>/dev/null; then
    for dir in one/zorvick two/elsewhere/zorvick; do
        mkdir -p "$pkg/$dir"
        git -C "$src" ls-files -co --exclude-standard | tar -C "$src" -T - -cf - | tar -C "$pkg/$dir" -xf -
    done
    (cd "$pkg/one/zorvick" && dpkg-buildpackage -us -uc -Pnocheck) >"$work/one" 2>&1 || fail "dpkg-buildpackage: $(tail -n 20 "$work/one")"
    sleep 2
    (cd "$pkg/two/elsewhere/zorvick" && TZ=Pacific/Kiritimati dpkg-buildpackage -b -us -uc -Pnocheck) >"$work/two" 2>&1 ||
        fail "dpkg-buildpackage, again: $(tail -n 20 "$work/two")"
    changes=$(ls "$pkg"/one/zorvick_*.changes 2>/dev/null)
    lint=$(lintian --fail-on error,warning --tag-display-limit 0 "$changes" 2>"$work/err")
    [[ $? == 0 && -z $lint ]] || fail "lintian on the source package: $lint $(cat "$work/err")"
    echo "lintian on the source package: ${lint:-nothing}"
    for deb in "$pkg"/one/*.deb; do
        cmp "$deb" "$pkg/two/elsewhere/${deb##*/}" || fail "not reproducible: ${deb##*/}"
    done
else
    fail "dpkg-buildpackage or the build dependencies missing: $(dpkg-checkbuilddeps -Pnocheck "$src/debian/control" 2>&1); scripts/install-deps test"
fi
finish
