# The tool as users install it: the manual page is clean, and the install
# rule puts the tool, the page and the README where they belong.  The
# Debian source package builds, lintian finds nothing in the source or the
# binary package, the package holds what it should and, unpacked, runs the
# example and renders its page; and a second build, elsewhere, later and
# from `git archive` of HEAD when the tree is clean, gives the same bytes.
#   check.sh BUILD_DIR SOURCE_DIR CMAKE
set -u
build=$1 src=$2 cmake=$3
source "$(dirname "$0")/../cli/lib.sh" "$build/zorvick"
for tool in mandoc groff lintian dpkg-deb dpkg-buildpackage man git; do
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

# The Debian source package, as the archive would build it, without the
# tests at build time (nocheck: the dev workflow runs them).  The first
# build from the working tree as git sees it; the second in another folder,
# later and in another time zone, from the committed tree as a release
# tarball holds it (from the working tree too while it has changes).
dpkg-checkbuilddeps -Pnocheck "$src/debian/control" 2>"$work/err" ||
    { fail "build dependencies missing: $(cat "$work/err"); scripts/install-deps test"; finish; exit; }
mkdir -p "$pkg/one/zorvick" "$pkg/two/elsewhere/zorvick"
git -C "$src" ls-files -co --exclude-standard | tar -C "$src" -T - -cf - | tar -C "$pkg/one/zorvick" -xf -
if [[ -z $(git -C "$src" status --porcelain) ]]; then
    git -C "$src" archive HEAD | tar -C "$pkg/two/elsewhere/zorvick" -xf -
    echo "second build: git archive HEAD"
else
    cp -a "$pkg/one/zorvick/." "$pkg/two/elsewhere/zorvick"
    echo "second build: the working tree (it has changes)"
fi
(cd "$pkg/one/zorvick" && dpkg-buildpackage -us -uc -Pnocheck) >"$work/one" 2>&1 || fail "dpkg-buildpackage: $(tail -n 20 "$work/one")"
sleep 2
(cd "$pkg/two/elsewhere/zorvick" && TZ=Pacific/Kiritimati dpkg-buildpackage -b -us -uc -Pnocheck) >"$work/two" 2>&1 ||
    fail "dpkg-buildpackage, again: $(tail -n 20 "$work/two")"
debs=("$pkg"/one/zorvick_*.deb)
deb=${debs[0]}
[[ ${#debs[@]} == 1 && -f $deb ]] || { fail "no one package zorvick_<version>_<arch>.deb: ${debs[*]}"; finish; exit; }
cmp "$deb" "$pkg/two/elsewhere/${deb##*/}" || fail "not reproducible: ${deb##*/}"

# lintian on the .changes: the .dsc, the source and the .deb.  Its tags go
# to standard output (as root it also says, on standard error, that root
# is not recommended).
changes=$(ls "$pkg"/one/zorvick_*.changes 2>/dev/null)
lint=$(lintian --fail-on error,warning --tag-display-limit 0 "$changes" 2>"$work/err")
[[ $? == 0 && -z $lint ]] || fail "lintian: $lint $(cat "$work/err")"
echo "lintian: ${lint:-nothing}"

[[ $(dpkg-deb -f "$deb" Depends) == *libc6* ]] || fail "Depends: $(dpkg-deb -f "$deb" Depends)"
files=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $6}' | sort | tr '\n' ' ')
[[ $files == "./usr/bin/zorvick ./usr/share/doc/zorvick/README.md.gz ./usr/share/doc/zorvick/changelog.gz ./usr/share/doc/zorvick/copyright ./usr/share/doc/zorvick/doc/accuracy.svg ./usr/share/man/man1/zorvick.1.gz " ]] ||
    fail "the package's files: $files"
dpkg-deb -x "$deb" "$pkg/root"
# Lines as wide as the text, and any run of blanks as one: what is checked
# is the text, not how one version of groff spaces it.
page=$(MANWIDTH=1000 man -l "$pkg/root/usr/share/man/man1/zorvick.1.gz" 2>"$work/err" | tr -s '[:space:]' ' ')
[[ $page == *"tabulate the integral"* && $page == *DIAGNOSTICS* && $page == *"0.022950 (64)"* && ! -s $work/err ]] ||
    fail "man -l: $(cat "$work/err") $page"

zorvick=$pkg/root/usr/bin/zorvick
check packaged-example '1 2 3\n' 0 "$example" ''
finish
