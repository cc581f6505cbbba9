#!/bin/bash
# Installs the given Debian packages in a pristine Debian 12 (bookworm)
# minbase chroot, runs the programs there, purges the packages and checks
# that nothing of them is left. Builds nothing: run `make package` first.
#
#   scripts/check-package.sh [--with-recommends] PACKAGE.deb...
#
# Needs root, debootstrap and the Debian mirror (KVT_DEBIAN_MIRROR, default
# http://deb.debian.org/debian). The minbase system is made once and kept
# as a tarball in KVT_CHROOT_CACHE (default ~/.cache/kvt-check-package);
# every run unpacks a fresh copy of it and deletes that copy at the end.
#
# apt installs with --no-install-recommends unless --with-recommends is
# given, so the run shows that the packages' Depends alone are enough.
# man-db is installed before the packages (a minbase system has no man),
# for `man -w`; it belongs to the system the comparison starts from.
set -euo pipefail

suite=bookworm
mirror=${KVT_DEBIAN_MIRROR:-http://deb.debian.org/debian}
cache=${KVT_CHROOT_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/kvt-check-package}
tarball=$cache/$suite-minbase.tar.gz
recommends=--no-install-recommends

if [ "${1:-}" = --with-recommends ]; then
    recommends=""
    shift
fi
if [ $# -eq 0 ]; then
    echo "usage: $0 [--with-recommends] PACKAGE.deb..." >&2
    exit 2
fi
if [ "$(id -u)" -ne 0 ]; then
    echo "$0: needs root (debootstrap, chroot)" >&2
    exit 2
fi
debs=()
for deb in "$@"; do
    [ -f "$deb" ] || { echo "$0: no such package: $deb" >&2; exit 2; }
    debs+=("$(realpath "$deb")")
done

step() { printf '\n### %s\n' "$*"; }
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

if [ ! -f "$tarball" ]; then
    step "Making the Debian 12 minbase system once, kept in $tarball"
    mkdir -p "$cache"
    fresh=$(mktemp -d "$cache/debootstrap.XXXXXX")
    debootstrap --variant=minbase "$suite" "$fresh/root" "$mirror" >"$fresh/log" 2>&1 ||
        { tail -20 "$fresh/log"; exit 1; }
    tar -C "$fresh/root" -czf "$tarball.part" . && mv "$tarball.part" "$tarball"
    rm -rf --one-file-system "$fresh"
fi

work=$(mktemp -d /var/tmp/kvt-check-package.XXXXXX)
root=$work/root
mounts=(proc dev/pts)
cleanup()
{
    local mount busy=false
    for mount in "${mounts[@]}"; do
        if mountpoint -q "$root/$mount"; then
            umount "$root/$mount" || busy=true
        fi
    done
    $busy || rm -rf --one-file-system "$work"
}
trap cleanup EXIT
mkdir "$root"
tar -C "$root" -xzf "$tarball"
cp /etc/resolv.conf "$root/etc/resolv.conf"
mount -t proc proc "$root/proc"
mount --bind /dev/pts "$root/dev/pts"   # apt's log, and the simulator's pseudo-terminal
mkdir "$root/tmp/debs"
cp "${debs[@]}" "$root/tmp/debs/"
chmod 644 "$root"/tmp/debs/*.deb

# Runs a command line in the chroot as root and shows it with its output.
as_root()
{
    echo "# $*"
    chroot "$root" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 \
        DEBIAN_FRONTEND=noninteractive sh -c "$*" 2>&1
}
# The same as the user "fitter", in a shell as a desktop session starts it.
as_user()
{
    echo "\$ $*"
    chroot --userspec=fitter:fitter "$root" env -i PATH=/usr/bin:/bin HOME=/home/fitter \
        LANG=C.UTF-8 XDG_RUNTIME_DIR=/tmp/runtime-fitter sh -c "$*" 2>&1
}
count_packages()
{
    as_root "dpkg-query -W -f '\${Package}\n' | wc -l | sed 's/\$/ packages installed/'"
}
# Every path of the system, without the kernel's and the temporary folders.
snapshot()
{
    chroot "$root" find / -xdev \( -path /proc -o -path /sys -o -path /dev -o -path /run \
        -o -path /tmp \) -prune -o -print | LC_ALL=C sort
}
# Paths apt, dpkg and man-db keep for themselves (logs, caches, old status
# files, the index of the man pages).
bookkeeping='^/var/(log|cache/apt|cache/debconf|cache/man|lib/apt|lib/dpkg/(status|available|diversions|statoverride)(-old)?$|lib/dpkg/triggers|cache/ldconfig)'

step "The system before: Debian 12 minbase, man-db and a user"
as_root "apt-get update -qq && apt-get install -y -qq --no-install-recommends man-db >/dev/null && echo man-db installed"
as_root "useradd --create-home fitter && mkdir -m 700 /tmp/runtime-fitter && chown fitter: /tmp/runtime-fitter && echo user fitter added"
as_root "printf '#!/bin/sh\nexit 101\n' > /usr/sbin/policy-rc.d && chmod 755 /usr/sbin/policy-rc.d"
snapshot >"$work/before"
count_packages

step "Install"
names=$(for deb in "${debs[@]}"; do dpkg-deb -f "$deb" Package; done | tr '\n' ' ')
paths=$(for deb in "${debs[@]}"; do printf '/tmp/debs/%s ' "$(basename "$deb")"; done)
as_root "apt install -y $recommends $paths" |
    grep -Ev '^(Get|Selecting|Preparing|Unpacking|Setting up|Processing|\(Reading database)|apt does not have a stable|^$'
count_packages
for name in $names; do
    as_root "dpkg-query -W -f '\${Package} \${Version} \${Status}\n' $name"
done
as_root "for f in \$(dpkg -L $names | grep '^/usr/bin/.'); do ldd \$f | grep 'not found'; done; echo 'ldd: every library of the programs found'"
dpkg_files=$(chroot "$root" dpkg -L $names | LC_ALL=C sort -u)

step "Run"
check() { as_user "$1" || fail "$1"; }
if [[ " $names " == *" kvt-configurator "* ]]; then
    check "kvt --version"
    check "kvt new /tmp/a.kvt && kvt check /tmp/a.kvt && echo 'kvt check: exit status 0'"
    check "kvt show /tmp/a.kvt | head -3"
    check "man -w kvt"
    check "man -w kvt-configurator"
    check "QT_QPA_PLATFORM=offscreen kvt-configurator --version"
    check "bash -c '. /usr/share/bash-completion/completions/kvt && complete -p kvt'"
fi
if [[ " $names " == *" kvt-unit-sim "* ]]; then
    check "kvt-unit-sim --help | head -2"
    check "man -w kvt-unit-sim"
fi
if [[ " $names " == *" kvt-configurator "* && " $names " == *" kvt-unit-sim "* ]]; then
    check "kvt-unit-sim > /tmp/unit & until [ -s /tmp/unit ]; do sleep 0.1; done; \\
kvt write --port \$(head -1 /tmp/unit) /tmp/a.kvt && kvt read-id --port \$(head -1 /tmp/unit); \\
status=\$?; kill \$!; exit \$status"
fi

step "Purge"
as_root "apt-get purge -y -qq $names >/dev/null && echo purged: $names"
as_root "dpkg-query -W $names; true"
snapshot >"$work/purged"
left=$(LC_ALL=C comm -13 "$work/before" "$work/purged" | grep -Ev "$bookkeeping" || true)
# What the purge left of the packages' own paths: new since the install
# and owned by no other package (such as /usr/share/icons/hicolor, which
# an icon theme among the dependencies also holds).
ours=$(LC_ALL=C comm -12 <(echo "$dpkg_files") "$work/purged" |
    LC_ALL=C comm -23 - "$work/before" |
    while read -r path; do
        chroot "$root" dpkg-query -S "$path" >/dev/null 2>&1 || echo "$path"
    done)
kvt_paths=$(LC_ALL=C comm -13 "$work/before" "$work/purged" | grep -i kvt || true)
echo "paths of the packages left: ${ours:-none}"
echo "new paths named kvt: ${kvt_paths:-none}"
[ -z "$ours" ] || fail "the purge left paths of the packages"
[ -z "$kvt_paths" ] || fail "the purge left paths named kvt"
echo "other new paths (the dependencies apt pulled in): $(grep -c . <<<"$left" || true)"

step "Remove the dependencies"
as_root "apt-get autoremove --purge -y -qq >/dev/null && echo autoremoved"
count_packages
snapshot >"$work/after"
echo "file list before install vs after purge and autoremove (apt and dpkg bookkeeping aside):"
changes=$(diff <(grep -Ev "$bookkeeping" "$work/before") <(grep -Ev "$bookkeeping" "$work/after") |
    grep '^[<>]' || true)
if [ -z "$changes" ]; then
    echo "identical"
else
    # Such as /etc/machine-id, which the dependencies' own scripts leave.
    echo "$changes"
    ! grep -qi kvt <<<"$changes" || fail "the system differs from before in paths named kvt"
    ! grep -qxFf <(sed 's/^/> /' <<<"$dpkg_files") <<<"$changes" ||
        fail "the system differs from before in paths of the packages"
fi

step "Result"
if [ "$failures" -eq 0 ]; then
    echo "PASS: installed, ran and purged without a trace"
else
    echo "FAIL: $failures check(s) failed"
fi
[ "$failures" -eq 0 ]
