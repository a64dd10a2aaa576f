#!/usr/bin/env bash
# Checks that a release binary carries the hardening its build chose.  The
# build writes its choices, one word a line, to hardening.txt (each flag is
# used only where the tool chain here accepts it); this checks each of them
# in the binary itself, and that the linking is one of the known kinds.
# Each check is a command in single quotes that check() evaluates: it
# expands the variables and calls interpreter() itself, where shellcheck
# sees them unused.
# shellcheck disable=SC2016,SC2034,SC2317
set -euo pipefail
build=${1:?usage: tests/check-hardening.sh build/release}
binary=$build/pelk
fail=0
check() {
  if eval "$2"; then echo "ok: $1"; else echo "missing: $1"; fail=1; fi
}
chosen=$(cat "$build/hardening.txt")
headers=$(readelf -h -l -d "$binary")
# The compiler's own record of the flags each object was built with (it
# leaves out macro definitions, which the build's flags show).
flags=$(readelf -p .GCC.command.line "$binary" 2>/dev/null || true)
defines=$(cat "$build"/CMakeFiles/pelk_core.dir/flags.make)
interpreter() { grep -q "INTERP" <<<"$headers"; }
linked=0
for word in $chosen; do
  case $word in
    fortify) check "fortified calls" 'grep -q -- "-D_FORTIFY_SOURCE=2" <<<"$defines"' ;;
    stack-protector)
      if grep -qx recorded-switches <<<"$chosen"; then
        check "stack protector" 'grep -q -- "-fstack-protector-strong" <<<"$flags"'
      else
        check "stack protector" 'grep -q -- "-fstack-protector-strong" <<<"$defines"'
      fi ;;
    recorded-switches) check "switches recorded in the binary" '[ -n "$flags" ]' ;;
    relro) check "RELRO segment" 'grep -q GNU_RELRO <<<"$headers"' ;;
    bind-now) check "bound at start (full RELRO)" 'grep -Eq "BIND_NOW|FLAGS_1.*NOW" <<<"$headers"' ;;
    pie) linked=1; check "position-independent executable" 'grep -q "Type:.*DYN" <<<"$headers" && interpreter' ;;
    static-pie) linked=1; check "static PIE" 'grep -q "Type:.*DYN" <<<"$headers" && ! interpreter' ;;
    static) linked=1; check "static executable" 'grep -q "Type:.*EXEC" <<<"$headers" && ! interpreter' ;;
    *) echo "unknown choice: $word"; fail=1 ;;
  esac
done
check "a known kind of linking" '[ $linked -eq 1 ]'
exit $fail
