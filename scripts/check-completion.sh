#!/bin/bash
# Completes kvt command lines as bash does on Tab and compares the offers.
#   check-completion.sh [COMPLETION_FILE]
# Needs bash-completion; exits 77 (skipped) without it. Run by ctest as
# "completion".
set -u
completion=${1:-$(dirname "$0")/../data/bash-completion/kvt}
completion=$(realpath "$completion")
library=${BASH_COMPLETION:-/usr/share/bash-completion/bash_completion}
if [ ! -r "$library" ]; then
    echo "bash-completion is not installed ($library): skipped"
    exit 77
fi
# shellcheck disable=SC1090
source "$library"
source "$completion"

folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
cd "$folder" || exit 1
mkdir fleet
touch van-12.kvt VAN-13.KVT van-12.json notes.txt

# The offers for a line whose last word is being completed, sorted.
offers()
{
    local line=$1
    COMP_LINE=$line
    COMP_POINT=${#line}
    read -r -a COMP_WORDS <<<"${line//=/ = }"   # "=" is a word of its own, as in bash
    [[ $line == *" " ]] && COMP_WORDS+=("")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMPREPLY=()
    _kvt kvt "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
    printf '%s\n' "${COMPREPLY[@]}" | sort | tr '\n' ' ' | sed 's/ $//'
}

by_id=""
for device in /dev/serial/by-id/*; do
    [ -e "$device" ] && by_id="$by_id $device"
done

failures=0
while IFS='|' read -r line expected; do
    expected=$(tr ' ' '\n' <<<"$expected" | grep -v '^$' | sort | tr '\n' ' ' | sed 's/ $//')
    got=$(offers "$line")
    if [ "$got" != "$expected" ]; then
        echo "FAIL: '$line': expected '$expected', got '$got'"
        failures=$((failures + 1))
    fi
done <<EOF_TABLE
kvt |build check diff new ports read-id set show write
kvt --|--help --version
kvt sh|show
kvt r|read-id
kvt show --|--help --json
kvt show |fleet VAN-13.KVT van-12.kvt
kvt check v|van-12.kvt
kvt new |fleet VAN-13.KVT van-12.kvt
kvt build |fleet van-12.json
kvt build van-12.json |fleet VAN-13.KVT van-12.kvt
kvt build van-12.json out.kvt |
kvt build --|--base --help
kvt build --base |fleet VAN-13.KVT van-12.kvt
kvt build --base van-12.kvt |fleet van-12.json
kvt check van-12.kvt |fleet VAN-13.KVT van-12.kvt
kvt set van-12.kvt |fleet VAN-13.KVT van-12.kvt
kvt set van-12.kvt out.kvt |
kvt diff --|--help --json
kvt diff van-12.kvt |fleet VAN-13.KVT van-12.kvt
kvt write --|--help --identify --log --port --repeat
kvt write --log |fleet
kvt ports --|--help --json
kvt write --port |COM1 COM2 COM3 COM4$by_id
kvt write --port C|COM1 COM2 COM3 COM4
kvt write --port COM1 |fleet VAN-13.KVT van-12.kvt
kvt write --port=CO|COM1 COM2 COM3 COM4
kvt read-id --port COM3|COM3
kvt read-id |
kvt read-id --|--help --port
EOF_TABLE

[ "$failures" -eq 0 ] && echo "every line completes as expected"
[ "$failures" -eq 0 ]
