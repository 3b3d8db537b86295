# What a new user does on a fresh Debian 12 or 13 machine: a minimal root
# file system (debootstrap, variant minbase, with git and ca-certificates
# alone), a clone of this repository, and the README followed as it
# stands.  As root: the first quick-start command; on the other release
# than this machine's, the test command as `--other-release` runs it
# (this machine's own run covers its release); every shell block of the
# Install section (there the package built without the tests that the test
# command has just run), then the tool from PATH, its manual page, the
# package's files and autopkgtest on the installed package.  On this
# machine's release, the package cross-built for arm64 as Debian builds
# it, and its example run under qemu-user.  As a user with sudo, on a
# second fresh copy: the first quick-start command and the Install
# section (the package built without its tests, which ran as root).
# Last, piuparts installs, removes and purges the package in a clean copy
# of the same base.  The commands are read from the README, so the two
# cannot drift.
#   fresh-machine.sh SOURCE_DIR WORK_DIR SUITE   (bookworm or trixie)
# Needs root (through sudo for another user), debootstrap and the archive
# that apt is configured with.
set -uo pipefail
src=$1 work=$2 suite=$3
started=$SECONDS

die() { echo "fresh machine ($suite): $*" >&2; exit 1; }
case $suite in bookworm | trixie) ;; *) die "Debian 12 (bookworm) and 13 (trixie) are supported" ;; esac
if [[ $(id -u) != 0 ]]; then
    command -v sudo >/dev/null || die "needs root (debootstrap, chroot and mount): run it as root, or install sudo"
    exec sudo bash "$0" "$@"
fi
for tool in debootstrap chroot git findmnt wget piuparts; do
    command -v $tool >/dev/null || die "$tool not found: scripts/install-deps test"
done
# The archive of this machine's own release, as apt knows it, serves the
# other release too.
mirror=$(apt-get indextargets --format '$(REPO_URI) $(RELEASE)' 'Identifier: Packages' 2>/dev/null |
    awk '$2 == "bookworm" || $2 == "trixie" {print $1; exit}')
mirror=${mirror%/}
[[ -n $mirror ]] || die "apt knows no Debian archive: apt-get update"
timeout 30 wget -q -O /dev/null "$mirror/dists/$suite/Release" ||
    die "the archive $mirror does not answer"

# Every step is bounded in time, and whatever was mounted is unmounted at
# the end, also on failure.  The root file systems are deleted only when
# nothing is mounted below them, and never across a file-system boundary.
roots=()
cleanup()
{
    local r m
    for r in "${roots[@]}"; do
        for m in $(findmnt -rn -o TARGET | grep -F "$r/" | sort -r); do
            umount "$m" 2>/dev/null || umount -l "$m"
        done
        if findmnt -rn -o TARGET | grep -qF "$r/"; then
            echo "fresh machine: still mounted under $r, left in place" >&2
        else
            rm -rf --one-file-system "$r"
        fi
    done
}
trap cleanup EXIT
mkdir -p "$work"

source "$(dirname "$0")/../steps.sh"

base=$work/base.tgz
if [[ ! -s $base ]]; then
    rm -rf --one-file-system "$work/debootstrap"
    roots+=("$work/debootstrap")
    step 900 "debootstrap $suite from $mirror" \
        debootstrap --variant=minbase --include=git,ca-certificates $suite "$work/debootstrap" "$mirror"
    rm -f "$work/debootstrap/var/cache/apt/archives/"*.deb
    step 300 "base tarball" tar -C "$work/debootstrap" -czf "$base.part" .
    mv "$base.part" "$base"
    rm -rf --one-file-system "$work/debootstrap"
fi

# Packages downloaded in one machine serve the next: only the download is
# saved, the installation is the same.
mkdir -p "$work/archives/partial"
machine()
{
    local root=$1
    rm -rf --one-file-system "$root"
    mkdir -p "$root"
    roots+=("$root")
    tar -C "$root" -xzf "$base" || die "cannot unpack the base"
    cp /etc/resolv.conf "$root/etc/resolv.conf"
    mount -t proc proc "$root/proc" && mount --bind /dev "$root/dev" && mount --bind /dev/pts "$root/dev/pts" &&
        mount --bind "$work/archives" "$root/var/cache/apt/archives" || die "cannot mount in $root"
    git clone -q "$src" "$root/root/zorvick" || die "cannot clone $src"
}

# The README's fenced blocks in a section: those marked sh, or the plain
# ones (the output it shows), each ended by a record separator.
blocks()
{
    awk -v part="$1" -v kind="$2" '
        /^## / { in_part = ($0 == "## " part) }
        !in_part { next }
        /^```/ { if (code) { if (code == 1) printf "\036"; code = 0 } else code = ($0 == "```" kind) ? 1 : 2; next }
        code == 1 { print }' "$src/README.md"
}
readarray -d $'\036' -t quick < <(blocks "Quick start" sh)
readarray -d $'\036' -t install < <(blocks "Install" sh)
readarray -d $'\036' -t shown < <(blocks "Quick start" "")
first=${quick[0]%$'\n'}
example=${shown[0]%$'\n'}
[[ $first == *zorvick* && $example == *tmin,tmax,nt:* && ${#install[@]} -ge 2 ]] ||
    die "README: no quick start, example table or Install commands found"

failures=0
expects=0
expect()
{
    local what=$1 got=$2 want=$3
    expects=$((expects + 1))
    if [[ $got == "$want" ]]; then echo "ok: $what"; else
        printf 'FAIL %s\n--- got\n%s\n--- want\n%s\n' "$what" "$got" "$want"
        failures=$((failures + 1))
    fi
}
# A command in the machine at $root, as root, with a login's environment.
jail() { jail=(chroot "$root" /usr/bin/env -i HOME=/root PATH=/usr/sbin:/usr/bin:/sbin:/bin LANG=C.UTF-8); }

root=$work/root
machine "$root"
jail
step 1500 "as root: $first" "${jail[@]}" bash -ec "cd ~/zorvick && $first"
expect "the example table" "$(tail -n 4 "$work/log")" "$example"
# The test command on the other release, all of it but the fresh machines,
# arm64 and the benchmarks: its compilers, sanitizers and C library show at
# once.
if [[ $(. /etc/os-release && echo "$VERSION_CODENAME") != "$suite" ]]; then
    other=yes
    tests="scripts/check --other-release"
    step 2400 "as root: $tests" "${jail[@]}" bash -ec "cd ~/zorvick && $tests"
    grep '^check: ' "$work/log"
    expect "the test command but the fresh machines, arm64 and the benchmarks" "$(grep -c '^check: ' "$work/log")" 8
else
    # This machine's run covers its own release; autopkgtest and qemu for
    # the checks below.
    other=no
    step 900 "as root: autopkgtest and qemu-user" "${jail[@]}" bash -ec \
        "apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends autopkgtest qemu-user"
fi
# On the other release the test command has just run the package's tests
# there; root's package is built without them, as the user's is.
nocheck=
[[ $other == yes ]] && nocheck="export DEB_BUILD_OPTIONS=nocheck && "
for block in "${install[@]}"; do
    block=${block%$'\n'}
    step 1200 "as root: ${block//$'\n'/; }" "${jail[@]}" bash -ec "cd ~/zorvick && $nocheck$block"
done
expect "zorvick from PATH" "$(echo 1 2 3 | timeout 60 "${jail[@]}" zorvick)" "$example"
# Lines as wide as the text and blanks squeezed: the text, not how one
# version of groff spaces it.
page=$(timeout 60 "${jail[@]}" MANWIDTH=1000 man zorvick 2>&1 | tr -s '[:space:]' ' ')
expect "man zorvick renders" "$(grep -o -e ' DIAGNOSTICS ' -e 'tabulate the integral' -e '0.022950 (64)' <<<"$page" | sort | uniq | wc -l)" 3
expect "dpkg -L zorvick" "$(timeout 60 "${jail[@]}" dpkg -L zorvick | grep -E '^/usr/(bin/zorvick|share/man/man1/zorvick.1.gz|share/doc/zorvick/README.md.gz)$' | sort)" \
    "/usr/bin/zorvick
/usr/share/doc/zorvick/README.md.gz
/usr/share/man/man1/zorvick.1.gz"
debs=("$root"/root/zorvick_*_amd64.deb)
deb=${debs[0]}
[[ ${#debs[@]} == 1 && -f $deb ]] && cp "$deb" "$work/" || die "no one package built: ${debs[*]}"
# Debian's test of the installed package (debian/tests).
step 900 "autopkgtest" "${jail[@]}" bash -ec "cd ~/zorvick && autopkgtest ../${deb##*/} . -- null"
expect "autopkgtest" "$(grep -qE '^installed +PASS' "$work/log" && echo passed)" passed
# arm64 as Debian cross-builds it: its build dependencies from the
# archive for arm64, the cross toolchain and the arm64 C and C++ libraries
# (dpkg-shlibdeps reads the packages that hold them), dpkg-buildpackage
# -a arm64.  qemu runs the binary with those libraries as an arm64 system
# would: not with -L and the cross sysroot, whose loader would mix two
# builds of the C library (a shared pass then never ends).
if [[ $other == no ]]; then
    cross='dpkg --add-architecture arm64 && apt-get update -qq && git clone -q ~/zorvick ~/cross/zorvick && cd ~/cross/zorvick &&
        DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends crossbuild-essential-arm64 \
            libc6-dev:arm64 libstdc++6:arm64 &&
        DEBIAN_FRONTEND=noninteractive apt-get build-dep -y -qq --no-install-recommends -a arm64 -P cross,nocheck ./ &&
        dpkg-buildpackage -a arm64 -Pcross,nocheck -b -us -uc && dpkg-deb -x ../zorvick_*_arm64.deb ../root &&
        echo 1 2 3 | timeout 120 qemu-aarch64 ../root/usr/bin/zorvick'
    step 1200 "arm64: dpkg-buildpackage -a arm64 -Pcross,nocheck" "${jail[@]}" bash -ec "$cross"
    expect "the arm64 package's example under qemu-user" "$(tail -n 4 "$work/log")" "$example"
fi
cleanup
roots=()

# A user with sudo, on a machine of its own: the install goes through sudo.
root=$work/user
machine "$root"
jail
step 300 "sudo for a user" "${jail[@]}" bash -ec \
    'apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq sudo && useradd -m -s /bin/bash new &&
     echo "new ALL=(ALL) NOPASSWD: ALL" >/etc/sudoers.d/new && git clone -q ~/zorvick ~new/zorvick && chown -R new: ~new/zorvick'
step 1500 "as a user with sudo: $first" "${jail[@]}" runuser -l new -c "cd ~/zorvick && $first"
expect "the example table, as a user" "$(tail -n 4 "$work/log")" "$example"
# The package's tests at build time ran in root's build on this machine's
# release, and in the test command on the other.
for block in "${install[@]}"; do
    block=${block%$'\n'}
    step 1200 "as a user with sudo: ${block//$'\n'/; }" "${jail[@]}" runuser -l new -c \
        "cd ~/zorvick && export DEB_BUILD_OPTIONS=nocheck && $block"
done
expect "zorvick from PATH, installed by a user" "$(echo 1 2 3 | timeout 60 "${jail[@]}" zorvick)" "$example"
cleanup
roots=()

# Debian's own check of the package: install, remove and purge in a clean
# copy of the base, with nothing left behind.
# (Debian 13's debconf leaves its own temporary folder behind, whatever
# the package.)
step 900 "piuparts" piuparts --no-adequate --ignore=/var/cache/debconf/tmp.ci/ -b "$base" -m "$mirror" -d $suite \
    "$work/${deb##*/}"

echo "fresh machine ($suite): $((SECONDS - started)) s in all"
echo "$((expects - failures)) passed, $failures failed"
[[ $failures == 0 ]]
