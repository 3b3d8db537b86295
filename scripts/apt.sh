# Helpers of the install scripts, which source this file.

# as_root COMMAND...: runs the command as root, through sudo when not root.
as_root()
{
    if [[ $(id -u) == 0 ]]; then
        "$@"
    elif command -v sudo >/dev/null; then
        sudo "$@"
    else
        echo "${0##*/}: needs root for '$*': run it as root, or install sudo (as root: apt-get install sudo) and allow this user to use it" >&2
        return 1
    fi
}

# apt_install PACKAGE...: installs those of the Debian packages (or .deb
# files, by path) that are not installed yet.  env, because sudo resets
# the environment.
apt_install()
{
    local p missing=()
    for p in "$@"; do
        [[ $p == */* ]] && { missing+=("$p"); continue; }
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
    done
    [[ ${#missing[@]} == 0 ]] && return 0
    echo "installing: ${missing[*]}"
    as_root apt-get update -qq || return 1
    # All or nothing: a package the archive does not have stops the install
    # before it starts.
    local unknown=()
    for p in "${missing[@]}"; do
        [[ $p == */* ]] && continue
        [[ $(apt-cache policy "$p" 2>/dev/null | awk '/Candidate:/ {print $2}') =~ ^(|\(none\))$ ]] && unknown+=("$p")
    done
    if [[ ${#unknown[@]} -gt 0 ]]; then
        echo "${0##*/}: not in the package archive that apt knows: ${unknown[*]}; nothing was installed" >&2
        return 1
    fi
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
}
