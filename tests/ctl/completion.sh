#!/usr/bin/env bash
# The bash completion of orvixctl, as bash calls it: commands, each command's options, KEY= and
# the entry names of the catalogue the program itself lists.
#   tests/ctl/completion.sh PATH-TO-ORVIXCTL
set -uo pipefail
orvixctl=$1
source "$(dirname "$0")/../../packaging/orvixctl.bash-completion"
failed=0
check() {
  local expected=$1
  shift
  COMP_WORDS=("$orvixctl" "$@")
  COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
  COMPREPLY=()
  _orvixctl
  if [[ "${COMPREPLY[*]}" != "$expected" ]]; then
    echo "orvixctl $* -> [${COMPREPLY[*]}], expected [$expected]"
    failed=1
  fi
}
check "list status functions apply save send a4 monitor --help" ""
check "apply" ap
check "--reset --from --timeout --help" apply --
check "--json --help" list -
check "3=mnMul_VolUp 3=mnMul_VolDn" apply 3=mnMul_V
check "2=mnDrag_Move 2=mnDBClick 2=mnDestop" save layout.txt 2=mnD
check "" apply 2=mnCur  # the fixed key's function is not offered
check "2= 3= 4= 5=" apply ""
check "EN CHN JPN" functions --lang ""
# Every command the program names has its options here.
for command in $("$orvixctl" --help | awk '/^  [a-z0-9]+ / { print $1 }'); do
  grep -q "^        $command\\b\|| $command)" "$(dirname "$0")/../../packaging/orvixctl.bash-completion" ||
    { echo "no options for $command"; failed=1; }
done
((failed == 0)) && echo "completion: all passed"
exit $failed
