#!/bin/sh
# The one list of the Debian packages the project uses, by group. Installs
# those of the named groups that are missing, with apt-get as root or
# through sudo for other users. `make` never calls this; ./make.sh does.
#
#   install-deps.sh [GROUP...]        install (default group: build)
#   install-deps.sh --list [GROUP...] print the packages, install nothing
#
# Groups:
#   build          compiler, CMake, Ninja, Qt 6 (Widgets, SerialPort, Test)
#   test           tools some tests use: man, bash-completion, clang-format, the desktop
#                  entry and AppStream validators (skipped without them)
#   bench          Google Benchmark, for -DKVT_BENCH=ON
#   sanitize       clang and its sanitizer runtimes (also for fuzz)
#   screenshots    a virtual X server and ImageMagick
#   package        what `make package` and its checks need
#   check-package  what scripts/check-package.sh needs
#   icons          the SVG renderer of scripts/render-icons.sh
#   all            every group
set -eu

group_packages()
{
    case $1 in
        build) echo build-essential cmake ninja-build pkg-config \
                    qt6-base-dev qt6-base-dev-tools qt6-serialport-dev libgl-dev ;;
        test) echo man-db bash-completion desktop-file-utils appstream clang-format ;;
        bench) echo libbenchmark-dev ;;
        sanitize | fuzz) echo clang libclang-rt-14-dev ;;
        screenshots) echo xvfb xauth imagemagick fonts-dejavu-core ;;
        package) echo dpkg-dev file lintian desktop-file-utils appstream ;;
        check-package) echo debootstrap ;;
        icons) echo librsvg2-bin ;;
        *) echo "install-deps.sh: unknown group '$1'" >&2; return 1 ;;
    esac
}

ALL_GROUPS="build test bench sanitize screenshots package check-package icons"

list=false
if [ "${1:-}" = "--list" ]; then
    list=true
    shift
fi
groups=${*:-build}
[ "$groups" = all ] && groups=$ALL_GROUPS

packages=""
for group in $groups; do
    packages="$packages $(group_packages "$group")"
done

if $list; then
    echo $packages | tr ' ' '\n' | sort -u
    exit 0
fi

missing=""
for p in $(echo $packages | tr ' ' '\n' | sort -u); do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed"; then
        missing="$missing $p"
    fi
done

[ -z "$missing" ] && exit 0

echo "Installing:$missing"
if [ "$(id -u)" -eq 0 ]; then
    SUDO=""
else
    SUDO="sudo"
fi
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends $missing
