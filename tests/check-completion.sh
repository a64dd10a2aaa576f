#!/usr/bin/env bash
# Runs pelk's bash completion as bash would, in a folder with two files,
# and checks what it offers for each command line; then types at an
# interactive bash and zsh, and asks fish.
set -uo pipefail
completion=$(realpath "${1:?usage: tests/check-completion.sh packaging/completions/pelk.bash}")
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
  # The line as typed: no space around the ":" bash splits at.
  COMP_LINE=$(printf ' %s' "${COMP_WORDS[@]}" | sed 's/ : /:/g; s/ :$/:/; s/^ //')
  COMP_POINT=${#COMP_LINE}
  COMPREPLY=()
  # In a subshell, which an expansion error (failglob) ends with no replies.
  local got
  got=$(_pelk && printf '%s\n' "${COMPREPLY[@]}" | grep . | sort | tr '\n' ' ' | sed 's/ $//')
  checked=$((checked + 1))
  if [ "$got" != "$expected" ]; then
    echo "pelk ${COMP_WORDS[*]:1}<TAB>: offers '$got', expected '$expected'"
    fail=$((fail + 1))
  fi
}
all="/? /ascii /first: /help /hex /int /last: /mid: alpha.bin beta.txt"
offers pelk "" -- "$all"
offers pelk /he -- "/help /hex"
offers pelk /F -- "/first:"
offers pelk -MI -- "-mid:"
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
# Replies are never globs, whatever the folder holds and the glob options.
shopt -s failglob nocaseglob extglob
offers pelk - -- "-? -ascii -first: -help -hex -int -last: -mid:"
shopt -u failglob nocaseglob extglob
mkdir globs && cd globs && touch -- -x
offers pelk - -- "-? -ascii -first: -help -hex -int -last: -mid:"
shopt -s nullglob
offers pelk -- -- "--? --ascii --first: --help --hex --int --last: --mid:"
shopt -u nullglob && cd ..

# What an interactive shell puts on the line: readline quotes what it takes
# for file names (":" and "?" too), and zsh completes below folders whose
# names hold ":", which only a real terminal shows.  bash is typed at with
# and without the bash-completion package's loader.
touch "gamma ray.bin" "delta:1.bin"
mkdir 0000:00:00.0 d:ir && touch 0000:00:00.0/config a:b.bin && ln -s d:ir l:nk
# typed SHELL SETUP "LINE" "LINE AS SHOWN AFTER A TAB"...
typed() {
  local shell=$1 setup=$2 i
  shift 2
  local -a lines=() expected=() got=()
  while [ $# -gt 0 ]; do lines+=("$1"); expected+=("$2"); shift 2; done
  # Each line typed, a Tab, then Ctrl-A and "#" turn the completed line
  # into a comment that the shell shows again.
  mapfile -t got < <(python3 - "$shell" "$setup" "${lines[@]}" <<'EOF'
import os, pty, select, sys, time
shell, setup, lines = sys.argv[1], sys.argv[2], sys.argv[3:]
pid, fd = pty.fork()
if pid == 0:
    argv = {"bash": ["bash", "--norc", "--noprofile", "-i"], "zsh": ["zsh", "-f", "-i"]}[shell]
    os.execvpe(shell, argv, {"HOME": os.getcwd(), "TERM": "dumb", "INPUTRC": "/dev/null",
                             "PS1": "$ ", "PATH": os.environ["PATH"]})
def until(marker):
    out, end = b"", time.time() + 20
    while marker not in out and time.time() < end:
        if select.select([fd], [], [], 0.2)[0]:
            try:
                out += os.read(fd, 4096)
            except OSError:
                break
    return out
os.write(fd, (setup + "; echo READY-$((1+1))\n").encode())
until(b"READY-2")
for n, line in enumerate(lines):
    os.write(fd, line.encode() + b"\t\x01#\recho DONE-$((%d+1))\n" % n)
    out = until(b"DONE-%d" % (n + 1)).decode(errors="replace")
    shown = [l.split("#", 1)[1] for l in out.replace("\r\n", "\r").split("\r") if "#pelk" in l]
    print(next((l for l in shown if l), ""))
os.write(fd, b"exit\n")
EOF
)
  for i in "${!lines[@]}"; do
    checked=$((checked + 1))
    if [ "${got[i]-}" != "${expected[i]}" ]; then
      echo "interactive $shell ($setup): '${lines[i]}<TAB>' gives '${got[i]-}', expected '${expected[i]}'"
      fail=$((fail + 1))
    fi
  done
}
skipped=0
if ! python3 -c 'import os, pty; os.close(pty.openpty()[0])' 2>/dev/null; then
  echo "interactive rows skipped: no pseudo-terminals here (no /dev/pts)"
  skipped=1
else
  for loader in "" /usr/share/bash-completion/bash_completion; do
    [ -z "$loader" ] || [ -f "$loader" ] || continue
    typed bash "${loader:+source $loader; }source $completion" \
      "pelk /fi" "pelk /first:" "pelk -la" "pelk -last:" "pelk --mi" "pelk --mid:" \
      "pelk /hex ga" 'pelk /hex gamma\ ray.bin ' "pelk delta:" "pelk delta:1.bin " \
      "pelk d:" "pelk d:ir/" "pelk l:" "pelk l:nk/" "pelk -MI" "pelk -mid:"
  done
  # Only a range switch takes a number; a path that holds ":" completes.
  if command -v zsh >/dev/null; then
    typed zsh "setopt interactive_comments; fpath=(${completion%/*} \$fpath); autoload -Uz compinit; compinit -u -D" \
      "pelk /fi" "pelk /first:" "pelk /FIRST:" "pelk /FIRST:" "pelk --Mid:3:" "pelk --Mid:3:" \
      "pelk $PWD/a:" "pelk $PWD/a:b.bin" "pelk $PWD/0000:00:00.0/con" "pelk $PWD/0000:00:00.0/config" \
      "pelk /FI" "pelk /first:"
  fi
fi
# fish lists its candidates; a folder's ends in "/", which no space follows.
if command -v fish >/dev/null; then
  for row in "pelk a:=a:b.bin" "pelk d:=d:ir/" "pelk l:=l:nk/" "pelk -MI=-mid:"; do
    got=$(fish -c "source ${completion%/*}/pelk.fish; complete -C '${row%%=*}'")
    checked=$((checked + 1))
    [ "$got" = "${row#*=}" ] || { echo "fish: '${row%%=*}<TAB>' offers '$got', expected '${row#*=}'"; fail=$((fail + 1)); }
  done
fi

echo "completion: $checked passed, $fail failed" | sed "s/$checked passed/$((checked - fail)) passed/"
[ "$fail" -eq 0 ] || exit 1
[ "$skipped" -eq 0 ] || exit 77  # skipped in part
