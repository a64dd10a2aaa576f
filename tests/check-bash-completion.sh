#!/usr/bin/env bash
# Runs pelk's bash completion as bash would, in a folder with two files,
# and checks what it offers for each command line.
set -uo pipefail
completion=${1:?usage: tests/check-bash-completion.sh packaging/completions/pelk.bash}
# shellcheck source=/dev/null
source "$completion"
cd "$(mktemp -d)" || exit 1
touch alpha.bin beta.txt
fail=0
checked=0
# offers "WORDS..." -- "EXPECTED REPLIES" (sorted, one space between)
offers() {
  local expected=${*: -1}
  COMP_WORDS=("${@:1:$#-2}")
  COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
  COMPREPLY=()
  _pelk
  local got
  got=$(printf '%s\n' "${COMPREPLY[@]}" | grep . | sort | tr '\n' ' ' | sed 's/ $//')
  checked=$((checked + 1))
  if [ "$got" != "$expected" ]; then
    echo "pelk ${COMP_WORDS[*]:1}<TAB>: offers '$got', expected '$expected'"
    fail=$((fail + 1))
  fi
}
all="/? /ascii /first: /help /hex /int /last: /mid: alpha.bin beta.txt"
offers pelk "" -- "$all"
offers pelk /he -- "/help /hex"
offers pelk /F -- ""
offers pelk - -- "-? -ascii -first: -help -hex -int -last: -mid:"
offers pelk --a -- "--ascii"
offers pelk --help -- "--help"
offers pelk al -- "alpha.bin"
offers pelk /hex b -- "beta.txt"
offers pelk /mid:3:4 "" -- "$all"
# bash splits "/first:10" into "/first" ":" "10".
offers pelk /first : -- ""
offers pelk /first : 1 -- ""
offers pelk /first : 10 "" -- "$all"
# Nothing after the file name, relative or absolute.
offers pelk alpha.bin "" -- ""
offers pelk /hex alpha.bin /h -- ""
offers pelk /etc/passwd "" -- ""
echo "bash completion: $checked passed, $fail failed" | sed "s/$checked passed/$((checked - fail)) passed/"
[ "$fail" -eq 0 ]
