#!/bin/sh
# How far the code is from .clang-format: the lines clang-format would
# change in src/ and tests/, per file and in total. Changes nothing.
#   scripts/format-churn.sh [CLANG_FORMAT]
set -eu
cd "$(dirname "$0")/.."
format=${1:-clang-format}
for file in $(git ls-files 'src/*.cpp' 'src/*.h' 'tests/*.cpp' 'tests/*.h'); do
    changed=$("$format" --style=file "$file" | diff "$file" - | grep -c '^<' || true)
    echo "$changed $(wc -l <"$file") $file"
done | sort -rn | awk '
    $1 > 0 { print $1 "\t" $3 }
    { changed += $1; lines += $2; files += ($1 > 0) }
    END { printf "%d of %d lines in %d files would change\n", changed, lines, files }'
