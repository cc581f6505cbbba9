#!/bin/bash
# Checks that the man pages and the bash completion name every command and
# option the programs' --help shows, that the configurator's and the
# simulator's --help begin with the summary of their pages, and that the
# pages render without warnings.
#   check-docs.sh KVT CONFIGURATOR UNIT_SIM MAN_FOLDER [COMPLETION]
# MAN_FOLDER holds the built pages (kvt.1, ...). Run by ctest as "docs";
# the configurator runs with QT_QPA_PLATFORM=offscreen. The pages render
# meanwhile, and the texts are searched in bash itself: no process per
# option.
set -u
kvt=$1 configurator=$2 sim=$3 man=$4
completion=${5:-$(dirname "$0")/../data/bash-completion/kvt}
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
failures=0

fail()
{
    echo "FAIL: $*"
    failures=$((failures + 1))
}

# Rendering: man reports what groff warns about (as lintian does).
warnings=$(mktemp -d)
trap 'rm -rf "$warnings"' EXIT
if command -v man >/dev/null; then
    for page in "$man"/*.1; do
        LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$page" 2>"$warnings/${page##*/}" >/dev/null &
    done
else
    echo "man is not installed: the pages' rendering is not checked"
fi

# The long options of a --help text ("  --json ...", "  -h, --help ..."),
# into OPTIONS.
options_of()
{
    OPTIONS=()
    while IFS= read -r line; do
        [[ $line =~ ^\ +(-[A-Za-z],\ )?(--[a-z][a-z-]*) ]] && OPTIONS+=("${BASH_REMATCH[2]}")
    done <<<"$1"
}

# Whether a page's text holds a name as the pages write it: "read\-id".
names() { [[ $1 == *"${2//-/\\-}"* ]]; }

# The commands of "kvt --help": the first word of each line under "Commands:".
help=$("$kvt" --help)
commands=$(sed -n '/^Commands:/,/^$/s/^  \([a-z][a-z-]*\) .*/\1/p' <<<"$help")
[ -n "$commands" ] || fail "kvt --help lists no commands"

# The ".SS" block of each command in kvt.1, up to the next heading.
page=$(<"$man/kvt.1")
declare -A sections
section=""
while IFS= read -r line; do
    [[ $line == .S[SH]* ]] && section=""
    [[ $line =~ ^\.SS\ \"kvt\ ([a-z\\-]+)\  ]] && section=${BASH_REMATCH[1]//\\-/-} && continue
    [ -n "$section" ] && sections[$section]+=$line$'\n'
done <<<"$page"

# shellcheck source=../data/bash-completion/kvt
source "$completion"
completed_commands=" $(_kvt_commands) "
for command in $commands; do
    section=${sections[$command]-}
    [ -n "$section" ] || fail "kvt.1 has no section for 'kvt $command'"
    names $'\n'"$page"$'\n' $'\n'".B kvt $command"$'\n' || fail "kvt.1: 'kvt $command' missing from SYNOPSIS"
    [[ $completed_commands == *" $command "* ]] || fail "completion lacks the command '$command'"
    completed=" $(_kvt_options "$command") "
    options_of "$("$kvt" "$command" --help)"
    for option in "${OPTIONS[@]}"; do
        [ "$option" = --help ] || names "$section" "$option" || fail "kvt.1: 'kvt $command' does not describe $option"
        [[ $completed == *" $option "* ]] || fail "completion lacks '$command $option'"
    done
done
for completed in $(_kvt_commands); do
    [[ $'\n'$commands$'\n' == *$'\n'$completed$'\n'* ]] || fail "completion offers '$completed', which kvt does not know"
done
for option in $(grep -o -- '--[a-z][a-z-]*' <<<"$help"); do
    names "$page" "$option" || fail "kvt.1 does not describe kvt $option"
done

# The other two programs: every option of --help on their page, and the
# summary of the page's NAME (".TH ... \- summary") first in --help.
for pair in "$configurator:kvt-configurator" "$sim:kvt-unit-sim"; do
    program=${pair%%:*} name=${pair#*:}
    help=$("$program" --help) || fail "$name --help failed"
    page=$(<"$man/$name.1")
    options_of "$help"
    for option in "${OPTIONS[@]}"; do
        names "$page" "$option" || fail "$name.1 does not describe $option"
    done
    summary=${page#*$'\n'.SH NAME$'\n'*\\- } summary=${summary%%$'\n'*}
    summary=${summary//\\-/-}
    [[ $help == *$'\n'"${summary^}."* ]] || fail "$name --help does not begin with '${summary^}.'"
done

wait
for page in "$warnings"/*; do
    [ -s "$page" ] && fail "${page##*/} renders with warnings: $(<"$page")"
done

[ "$failures" -eq 0 ] && echo "man pages and completion name every command and option"
[ "$failures" -eq 0 ]
