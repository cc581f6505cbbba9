#!/bin/bash
# Checks that the man pages and the bash completion name every command and
# option the programs' --help shows, and that the pages render without
# warnings.
#   check-docs.sh KVT CONFIGURATOR UNIT_SIM MAN_FOLDER [COMPLETION]
# MAN_FOLDER holds the built pages (kvt.1, ...). Run by ctest as "docs";
# the configurator runs with QT_QPA_PLATFORM=offscreen.
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

# The long options of a --help text: "  --json ...", "  -h, --help ...".
options_of()
{
    sed -n 's/^ \{1,\}\(-[A-Za-z], \)\{0,1\}\(--[a-z][a-z-]*\).*/\2/p'
}

# The commands of "kvt --help": the first word of each line under "Commands:".
commands=$("$kvt" --help | sed -n '/^Commands:/,/^$/s/^  \([a-z][a-z-]*\) .*/\1/p')
[ -n "$commands" ] || fail "kvt --help lists no commands"

# A name as the pages write it: "read\-id".
roff() { printf '%s' "$1" | sed 's/-/\\-/g'; }

# The ".SS" block of a command in kvt.1, up to the next heading.
section_of()
{
    awk -v head=".SS \"kvt $(roff "$1") " 'index($0, head) == 1 { on = 1; next }
        /^\.S[SH]/ { on = 0 } on' "$man/kvt.1"
}

# shellcheck source=../data/bash-completion/kvt
source "$completion"
completed_commands=" $(_kvt_commands) "
for command in $commands; do
    section=$(section_of "$command")
    [ -n "$section" ] || fail "kvt.1 has no section for 'kvt $command'"
    grep -qFx ".B kvt $(roff "$command")" "$man/kvt.1" ||
        fail "kvt.1: 'kvt $command' missing from SYNOPSIS"
    [[ $completed_commands == *" $command "* ]] || fail "completion lacks the command '$command'"
    completed=" $(_kvt_options "$command") "
    for option in $("$kvt" "$command" --help | options_of); do
        if [ "$option" != --help ]; then
            grep -qF -- "$(roff "$option")" <<<"$section" ||
                fail "kvt.1: 'kvt $command' does not describe $option"
        fi
        [[ $completed == *" $option "* ]] || fail "completion lacks '$command $option'"
    done
done
for completed in $(_kvt_commands); do
    grep -qx "$completed" <<<"$commands" || fail "completion offers '$completed', which kvt does not know"
done
for option in $("$kvt" --help | grep -o -- '--[a-z][a-z-]*' | sort -u); do
    grep -qF -- "$(roff "$option")" "$man/kvt.1" || fail "kvt.1 does not describe kvt $option"
done

# The other two programs: every option of --help on their page.
for pair in "$configurator:kvt-configurator" "$sim:kvt-unit-sim"; do
    program=${pair%%:*} page=$man/${pair#*:}.1
    help=$("$program" --help) || fail "${pair#*:} --help failed"
    for option in $(options_of <<<"$help"); do
        grep -qF -- "$(roff "$option")" "$page" || fail "$(basename "$page") does not describe $option"
    done
done

# Rendering: man reports what groff warns about (as lintian does).
if command -v man >/dev/null; then
    for page in "$man"/*.1; do
        warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$page" 2>&1 >/dev/null)
        [ -z "$warnings" ] || fail "$(basename "$page") renders with warnings: $warnings"
    done
else
    echo "man is not installed: the pages' rendering is not checked"
fi

[ "$failures" -eq 0 ] && echo "man pages and completion name every command and option"
[ "$failures" -eq 0 ]
