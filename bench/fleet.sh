#!/bin/sh
# Prepares COUNT unit files (200 by default) from a template and a CSV of
# PINs and ISDN numbers with `kvt set`, one process per unit as a script
# does, and prints how many files it wrote per second.
#
# Usage: bench/fleet.sh [KVT] [COUNT]     (KVT: build/src/cli/kvt)
set -eu

kvt=${1:-build/src/cli/kvt}
count=${2:-200}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$kvt" new "$work/template.kvt"
"$kvt" set "$work/template.kvt" "$work/template.kvt" Gprs.Apn='"m2m.example"' \
    Checks.9=1 Zones.1.CellId=1A2B Zones.1.CellIdFlags=1
i=1
while [ "$i" -le "$count" ]; do
    printf 'unit%03d,%04d,+1555%07d\n' "$i" $((i % 10000)) "$i"
    i=$((i + 1))
done > "$work/units.csv"

start=$(date +%s.%N)
while IFS=, read -r unit pin isdn; do
    "$kvt" set "$work/template.kvt" "$work/$unit.kvt" SimPin="$pin" IsdnRecall="$isdn"
done < "$work/units.csv"
end=$(date +%s.%N)

written=$(find "$work" -name 'unit*.kvt' | wc -l)
awk -v n="$written" -v s="$start" -v e="$end" 'BEGIN {
    printf "fleet: %d unit files from a template with kvt set in %.2f s: %.0f files per second\n", n, e - s, n / (e - s)
}'
