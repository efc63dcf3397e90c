#!/bin/sh
# tools/package/fresh_install_test.sh: the Debian package on a fresh machine.
#
# In a new Debian 12 minbase chroot holding a clean clone of the committed tree
# (../shared/tools/fresh_debian.sh, or $VELTRANO_FRESH_DEBIAN; needs root), builds the package with
# tools/package/deb.sh, installs it with apt-get and checks what got installed: --help and
# --version, the manual page through man, the completion through bash-completion's loader, a scan
# of the sample machine, and that dpkg -r removes every file the package brought. Only committed
# work is seen. It takes some minutes, so ./test.sh does not run it.
set -eu

if [ "${1:-}" != --inside ]; then
    here=$(cd "$(dirname "$0")/../.." && pwd)
    fresh=${VELTRANO_FRESH_DEBIAN:-$here/../shared/tools/fresh_debian.sh}
    if [ ! -f "$fresh" ]; then
        echo "$0: no $fresh to make the fresh machine with" >&2
        exit 2
    fi
    status=0
    bash "$fresh" 'tools/package/fresh_install_test.sh --inside' "$here" || status=$?
    # fresh_debian.sh keeps the chroot's output in its log.
    tail -n 25 /var/tmp/vt-freshbox/run.log
    exit "$status"
fi

# Inside the fresh machine, at the top of the clone.
export DEBIAN_FRONTEND=noninteractive
step() { echo "== $*"; }
fail() {
    echo "FAILED: $*"
    exit 1
}

step "building the package"
deb=$(tools/package/deb.sh)
echo "$deb"

step "installing it with apt-get"
(cd "$(dirname "$deb")" && apt-get install -y -qq "./$(basename "$deb")")
apt-get install -y -qq --no-install-recommends man-db bash-completion
[ "$(command -v veltrano-scan)" = /usr/bin/veltrano-scan ] || fail "veltrano-scan is not /usr/bin's"
dpkg-query -W -f='${Depends}\n' veltrano-scan | grep -q 'libc6' || fail "no dependency on libc6"

step "--help and --version"
veltrano-scan --help >/tmp/help.txt || fail "--help exits with $?"
grep -q -- '--format' /tmp/help.txt || fail "--help names no --format"
version=$(dpkg-query -W -f='${Version}' veltrano-scan)
[ "$(veltrano-scan --version)" = "veltrano-scan ${version%-*}" ] ||
    fail "--version says '$(veltrano-scan --version)', the package is $version"

step "a scan of the sample machine"
cmake --build build/package -j2 --target veltrano-sample-machine >/dev/null
build/package/tools/sample_machine/veltrano-sample-machine --out /tmp/sample >/dev/null
veltrano-scan --root /tmp/sample --interval all --format csv >/tmp/errors.csv ||
    fail "the scan exits with $?"
[ "$(wc -l </tmp/errors.csv)" -gt 10 ] || fail "the scan lists $(wc -l </tmp/errors.csv) lines"

step "man veltrano-scan"
LC_ALL=C man veltrano-scan >/tmp/man.txt 2>/tmp/man.err || fail "man: $(cat /tmp/man.err)"
for heading in NAME SYNOPSIS DESCRIPTION OPTIONS "EXIT STATUS" EXAMPLES FILES; do
    grep -q "^$heading\$" /tmp/man.txt || fail "the manual page has no $heading"
done
for option in $(grep -o -- '--[a-z-]*' /tmp/help.txt | sort -u); do
    grep -q -- "^ *$option\\b" /tmp/man.txt || fail "the manual page describes no $option"
done

step "the completion, as bash-completion loads it"
offered=$(bash -c '
    . /usr/share/bash-completion/bash_completion
    __load_completion veltrano-scan || exit 1
    registered=$(complete -p veltrano-scan) || exit 1
    fn=${registered#*-F }
    COMP_WORDS=(veltrano-scan --format "")
    COMP_CWORD=2
    ${fn%% *} veltrano-scan "" --format
    echo "${COMPREPLY[*]}"') || fail "bash-completion does not load the completion"
[ "$offered" = "table csv json ndjson" ] || fail "--format completes to '$offered'"

step "dpkg -r removes what it installed"
dpkg -L veltrano-scan >/tmp/files.txt
grep -qx /usr/bin/veltrano-scan /tmp/files.txt || fail "dpkg -L lists no /usr/bin/veltrano-scan"
dpkg -r veltrano-scan
left=""
while read -r path; do
    [ "$path" = /. ] && continue
    [ -e "$path" ] || [ -L "$path" ] || continue
    # A folder that other packages have files in stays.
    [ -d "$path" ] && [ ! -L "$path" ] && dpkg -S "$path" >/dev/null 2>&1 && continue
    left="$left $path"
done </tmp/files.txt
[ -z "$left" ] || fail "left behind:$left"
echo "The package builds, installs, works and goes away on a fresh Debian 12."
