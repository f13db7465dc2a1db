#!/usr/bin/env bash
# The bash completion offers every command `kraxctl --help` lists, and each option that the
# usage lines of `kraxctl COMMAND --help` name.
#   completion_test.sh KRAXCTL COMPLETION-FILE
set -uo pipefail
kraxctl=$1
# What bash-completion provides, reduced to what the completion uses.
_init_completion() {
  cur=${COMP_WORDS[COMP_CWORD]}
  prev=${COMP_WORDS[COMP_CWORD - 1]}
  words=("${COMP_WORDS[@]}")
  cword=$COMP_CWORD
}
_filedir() { COMPREPLY=(FILES); }
complete() { :; }
# shellcheck source=/dev/null
source "$2"

failures=0
offers() {  # offers "WORD..." -- EXPECTED: completing the last word offers EXPECTED
  local expected=${*: -1}
  COMP_WORDS=("${@:1:$#-2}")
  COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
  COMPREPLY=()
  _kraxctl
  if [[ " ${COMPREPLY[*]} " != *" $expected "* ]]; then
    echo "FAIL: '${COMP_WORDS[*]}' offers '${COMPREPLY[*]}', not '$expected'"
    failures=$((failures + 1))
  fi
}

commands=$("$kraxctl" --help | sed -n '/^Commands:/,/^$/p' | awk 'NR > 1 && NF { print $1 }')
[[ -n $commands ]] || { echo "FAIL: kraxctl --help lists no commands"; exit 1; }
for command in $commands; do
  offers kraxctl "${command:0:2}" -- "$command"
  offers kraxctl --game /g "$command" -- "$command"
done
offers kraxctl --v -- --version
options=0
for command in $commands; do
  for option in $("$kraxctl" "$command" --help | grep -E '^(Usage:|       ) ?kraxctl ' | grep -o -- '--[a-z-]*' | sort -u); do
    offers kraxctl "$command" "$option" -- "$option"
    options=$((options + 1))
  done
done
((options >= 30)) || { echo "FAIL: the commands' help names only $options options"; failures=$((failures + 1)); }
offers kraxctl verify "" -- tracks
offers kraxctl verify cars --r -- --restore
offers kraxctl verify --j -- --json
offers kraxctl --cd /media/cd verify --y -- --yes
offers kraxctl restore "" -- strings
offers kraxctl install-car "" -- FILES
offers kraxctl cars --j -- --json
offers kraxctl remove KOVA --d -- --delete-for-good

count=$(wc -w <<<"$commands")
if ((failures)); then
  echo "0 passed, $failures failed"
  exit 1
fi
echo "completion offers all $count commands and the $options options their help names"
