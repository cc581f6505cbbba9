#!/bin/sh
# First step on a fresh Debian machine, where even make may be missing:
# installs the packages the given make targets need (scripts/install-deps.sh
# asks for root through sudo), then runs make with the same arguments:
#   ./make.sh run    ./make.sh test    ./make.sh package
set -eu
cd "$(dirname "$0")"
groups=build
for arg in "$@"; do
    case $arg in
        test) groups="$groups test" ;;
        bench) groups="$groups bench" ;;
        sanitize | fuzz) groups="$groups sanitize" ;;
        package) groups="$groups package" ;;
        check-package) groups="$groups package check-package" ;;
    esac
done
./scripts/install-deps.sh $groups
exec make "$@"
