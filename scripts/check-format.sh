#!/bin/sh
# Checks that the C++ sources follow .clang-format. Run by ctest as
# "format"; skipped (77) without clang-format 14, whose layout the files
# keep (other versions lay some lines out otherwise).
set -u
cd "$(dirname "$0")/.."
# The sources of a checkout; a copy without git (such as one in which
# faults are planted on purpose) is not checked.
git rev-parse --is-inside-work-tree >/dev/null 2>&1 || { echo "not a git checkout: skipped"; exit 77; }
command -v clang-format >/dev/null 2>&1 || { echo "clang-format not found: skipped"; exit 77; }
version=$(clang-format --version | sed -n 's/.*version \([0-9]*\)\..*/\1/p')
[ "$version" = 14 ] || { echo "clang-format $version, not 14: skipped"; exit 77; }
find src tests bench fuzz -name '*.cpp' -o -name '*.h' | sort |
    xargs clang-format --dry-run --Werror
