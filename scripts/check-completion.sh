#!/bin/bash
# Completes kvt command lines as bash does on Tab and compares the offers.
#   check-completion.sh [COMPLETION_FILE]
# Needs bash-completion; exits 77 (skipped) without it. Run by ctest as
# "completion". Offers are compared in bash itself, without a process per
# line.
set -u
completion=${1:-$(dirname "$0")/../data/bash-completion/kvt}
completion=$(realpath "$completion")
library=${BASH_COMPLETION:-/usr/share/bash-completion/bash_completion}
[ -r "$library" ] || { echo "bash-completion is not installed ($library): skipped"; exit 77; }
# shellcheck disable=SC1090
source "$library"
source "$completion"

folder=$(mktemp -d) && cd "$folder" || exit 1
trap 'rm -rf "$folder"' EXIT
mkdir fleet && touch van-12.kvt VAN-13.KVT van-12.json notes.txt

# The words given, sorted, one blank between them, in REPLY.
sorted()
{
    local -a words=()
    local word i
    for word in "$@"; do
        for ((i = ${#words[@]}; i > 0; i--)); do
            [[ ${words[i - 1]} > $word ]] || break
            words[i]=${words[i - 1]}
        done
        words[i]=$word
    done
    REPLY=${words[*]}
}

by_id=""
for device in /dev/serial/by-id/*; do
    [ -e "$device" ] && by_id="$by_id $device"
done

failures=0
while IFS='|' read -r line expected; do
    COMP_LINE=$line
    COMP_POINT=${#line}
    read -r -a COMP_WORDS <<<"${line//=/ = }" # "=" is a word of its own, as in bash
    [[ $line == *" " ]] && COMP_WORDS+=("")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMPREPLY=()
    _kvt kvt "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
    sorted "${COMPREPLY[@]}" && got=$REPLY
    # shellcheck disable=SC2086 # the expected offers are words
    sorted $expected
    if [ "$got" != "$REPLY" ]; then
        echo "FAIL: '$line': expected '$REPLY', got '$got'"
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
