#!/bin/sh
# Installs the Debian packages the project needs, when any is missing.
# Runs apt-get as root, or through sudo for other users.
set -eu

PACKAGES="
build-essential
cmake
ninja-build
pkg-config
qt6-base-dev
qt6-base-dev-tools
qt6-serialport-dev
libgl-dev
libbenchmark-dev
"
# Extra packages for the sanitizer/fuzzer builds and the screenshots:
#   clang libclang-rt-14-dev xvfb xauth imagemagick fonts-dejavu-core
if [ "${1:-}" = "--all" ]; then
    PACKAGES="$PACKAGES clang libclang-rt-14-dev xvfb xauth imagemagick fonts-dejavu-core"
fi

missing=""
for p in $PACKAGES; do
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
