#!/usr/bin/env bash
# The written man page and completions as their readers take them: mandoc's linter, and each
# shell parsing its script; bash's completion is also asked for an option and a code page.
#   manual_check.sh DOCS_DIR PROGRAM_NAME
set -uo pipefail
dir=$1 name=$2
failed=0
fail() { echo "FAIL: $*"; failed=1; }

lint=$(mandoc -Tlint -W warning "$dir/$name.1" 2>&1) || fail "mandoc -Tlint: $lint"
[ -z "$lint" ] || fail "mandoc -Tlint: $lint"

bash -n "$dir/$name.bash" || fail "bash cannot parse $name.bash"
got=$(bash -c 'source "$1"; COMP_WORDS=(vantrel --codep); COMP_CWORD=1; _'"${name//-/_}"'; echo "${COMPREPLY[*]}"' _ "$dir/$name.bash")
[ "$got" = "--codepage" ] || fail "bash: --codep completed to '$got'"
got=$(bash -c 'source "$1"; COMP_WORDS=(vantrel --codepage cp95); COMP_CWORD=2; _'"${name//-/_}"'; echo "${COMPREPLY[*]}"' _ "$dir/$name.bash")
[ "$got" = "cp950" ] || fail "bash: --codepage cp95 completed to '$got'"

zsh -n "$dir/_$name" || fail "zsh cannot parse _$name"
fish --no-execute "$dir/$name.fish" || fail "fish cannot parse $name.fish"

[ $failed = 0 ] && echo "manual check: mandoc clean; bash, zsh and fish take their completions"
exit $failed
