#!/usr/bin/env bash
# Runs pelk's bash completion as bash would, in a folder with two files,
# and checks what it offers for each command line.
set -uo pipefail
completion=$(realpath "${1:?usage: tests/check-bash-completion.sh packaging/completions/pelk.bash}")
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

# What an interactive bash puts on the line: readline quotes what it takes
# for file names (":" and "?" too), which only a real terminal shows.  Typed
# with and without the bash-completion package's loader.
touch "gamma ray.bin" "delta:1.bin"
typed=("pelk /fi" "pelk -la" "pelk --mi" "pelk /hex ga" "pelk delta:")
expected=("pelk /first:" "pelk -last:" "pelk --mid:" 'pelk /hex gamma\ ray.bin ' "pelk delta:1.bin ")
loaders=("")
[ -f /usr/share/bash-completion/bash_completion ] && loaders+=(/usr/share/bash-completion/bash_completion)
if ! python3 -c 'import os, pty; os.close(pty.openpty()[0])' 2>/dev/null; then
  echo "interactive rows skipped: no pseudo-terminals here (no /dev/pts)"
  loaders=()
fi
for loader in "${loaders[@]}"; do
  # Each line typed, a Tab, then Ctrl-A and "#" turn the completed line into
  # a comment that bash shows again.
  mapfile -t got < <(python3 - "$completion" "$loader" "${typed[@]}" <<'EOF'
import os, pty, select, sys, time
completion, loader, lines = sys.argv[1], sys.argv[2], sys.argv[3:]
pid, fd = pty.fork()
if pid == 0:
    os.execve("/bin/bash", ["bash", "--norc", "--noprofile", "-i"],
              {"HOME": os.getcwd(), "TERM": "dumb", "INPUTRC": "/dev/null", "PS1": "$ ",
               "PATH": os.environ["PATH"]})
def until(marker):
    out, end = b"", time.time() + 20
    while marker not in out and time.time() < end:
        if select.select([fd], [], [], 0.2)[0]:
            try:
                out += os.read(fd, 4096)
            except OSError:
                break
    return out
os.write(fd, ((f"source {loader}; " if loader else "") + f"source {completion}; echo READY-$((1+1))\n").encode())
until(b"READY-2")
for n, line in enumerate(lines):
    os.write(fd, line.encode() + b"\t\x01#\recho DONE-$((%d+1))\n" % n)
    out = until(b"DONE-%d" % (n + 1)).decode(errors="replace")
    shown = [l.split("$ #", 1)[1] for l in out.replace("\r\n", "\r").split("\r") if "$ #" in l]
    print(next((l for l in shown if l), ""))
os.write(fd, b"exit\n")
EOF
)
  for i in "${!typed[@]}"; do
    checked=$((checked + 1))
    if [ "${got[i]-}" != "${expected[i]}" ]; then
      echo "interactive bash${loader:+ with $loader}: '${typed[i]}<TAB>' gives '${got[i]-}', expected '${expected[i]}'"
      fail=$((fail + 1))
    fi
  done
done

echo "bash completion: $checked passed, $fail failed" | sed "s/$checked passed/$((checked - fail)) passed/"
[ "$fail" -eq 0 ] || exit 1
[ ${#loaders[@]} -gt 0 ] || exit 77  # skipped in part
