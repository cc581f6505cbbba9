#!/bin/sh
# Seed corpora for the fuzzers, made with the kvt command: the start-up
# file, edited and broken variants of it, and zone texts for fuzz_zone.
# Usage: fuzz/make-corpus.sh PATH/TO/kvt OUTPUT_FOLDER
set -eu
[ $# -eq 2 ] || { echo "usage: $0 PATH/TO/kvt OUTPUT_FOLDER" >&2; exit 2; }
kvt=$1
out=$2
mkdir -p "$out/load" "$out/zone"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

"$kvt" new "$out/load/startup.kvt"

cat > "$tmp/edited.json" <<'JSON'
{"SimPin": "1234", "IsdnRecall": "+41790000000", "TempHighAlert": 25.5,
 "TempLowAlert": -0.5, "TrackingCounter": 255, "SmsCatchAlertTimer": 18,
 "RtcIntervalUnit": 7, "RtcIntervalCounter": 1,
 "Checks": [1,1,0,1,0,0,1,0, 1,1,0,0,0,0,0,0, 1,0,1,1,1,1,0,1, 1,0,0,1,1,1,0,0],
 "Gprs": {"Apn": "\"apn,é;\"", "Ip": "10.0.0.1", "Port": "2121", "Mode": ""},
 "Zones": [{"CellIdFlags": 3, "CellId": "1A2B", "GpsFlags": 31, "SpeedLimit": "080",
            "StartTime": "0000", "StopTime": "2359", "TopLatitude": "461234567N",
            "BottomLatitude": "460000000N", "LeftLongitude": "0061234567E",
            "RightLongitude": "0070000000E", "AlertOptions": 44},
           {},{},{},{},{},{},{},{},{},{},{},{},{},{},{},{},{},{},{},{},{},{},{},{},{},{},
           {},{},{},{},{},{},{},{},{},{},{},{},{},{},{},{},{},{},{},{},{},{},{},{},{},{},
           {},{},{},{},{},{},{},{},{},{},{}]}
JSON
"$kvt" build "$tmp/edited.json" "$out/load/edited.kvt"

# Broken files: LF line ends, cut before the GPRS lines, a bad value.
tr -d '\r' < "$out/load/startup.kvt" > "$out/load/lf-only.kvt"
head -n 4133 "$out/load/startup.kvt" > "$out/load/no-gprs.kvt"
sed '13s/001013005/001013256/' "$out/load/startup.kvt" > "$out/load/above-255.kvt"
: > "$out/load/empty.kvt"

# fuzz_zone reads its mode and zone number from the last two bytes:
# mode 0 (text as Latin-1), zone 1 and zone 2.
sed -n '38,101p' "$out/load/startup.kvt" > "$out/zone/default-zone1"
printf '\000\000' >> "$out/zone/default-zone1"
sed -n '38,101p' "$out/load/edited.kvt" > "$out/zone/edited-zone1"
printf '\000\000' >> "$out/zone/edited-zone1"
sed -n '102,165p' "$out/load/startup.kvt" > "$out/zone/default-zone2"
printf '\001\000' >> "$out/zone/default-zone2"
echo "Seeds written to $out/load and $out/zone"
