#!/usr/bin/env bash
# The shell completion that boton writes from its own command line, run in bash with the
# completion library's two helpers stubbed: what each partial command line completes to.
# Usage: completion.sh BOTON
set -euo pipefail
script=$(mktemp)
trap 'rm -f "$script"' EXIT
"$1" --bash-completion >"$script"

_init_completion() {
  words=("${COMP_WORDS[@]}") cword=$COMP_CWORD
  cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]}
}
_filedir() { COMPREPLY=("<$1 files>"); }
complete() { :; }
# shellcheck source=/dev/null
. "$script"

failed=0
expect() { # WANT WORD...
  local want=$1
  shift
  COMP_WORDS=("$@") COMP_CWORD=$(($# - 1)) COMPREPLY=()
  _boton
  local got="${COMPREPLY[*]}"
  if [ "$got" != "$want" ]; then
    echo "FAIL: '$*' completes to '$got', not '$want'" >&2
    failed=1
  fi
}
expect "trace" boton tr
expect "render resave" boton re
expect "--help --version" boton --
expect "headless qt win32 web" boton trace --host ""
expect "win32 web" boton trace --host w
expect "<trace files>" boton trace ""
expect "<png files>" boton render -o ""
expect "<json files>" boton resave --output ""
expect "<json files>" boton check a.json ""
expect "--max-pixels" boton render --m
expect "" boton check --max-pixels ""
expect "render resave" boton help re
exit $failed
