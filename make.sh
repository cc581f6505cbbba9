#!/bin/sh
# First step on a fresh Debian machine, where even make may be missing:
# installs the packages the project needs, then runs make with the given
# targets (`./make.sh run`, `./make.sh test`).
set -eu
cd "$(dirname "$0")"
./scripts/install-deps.sh
exec make "$@"
