#!/usr/bin/env bash
# Checks that a release binary carries the hardening its build asks for:
# position independence, full RELRO, stack protectors and fortified calls.
set -euo pipefail
build=${1:?usage: tests/check-hardening.sh build/release}
binary=$build/pelk
fail=0
check() {
  if eval "$2"; then echo "ok: $1"; else echo "missing: $1"; fail=1; fi
}
headers=$(readelf -h -l -d "$binary")
# The compiler's own record of the flags each object was built with (it
# leaves out macro definitions, which the build's flags show).
flags=$(readelf -p .GCC.command.line "$binary" 2>/dev/null || true)
defines=$(cat "$build"/CMakeFiles/pelk_core.dir/flags.make)
check "position-independent executable" 'grep -q "Type:.*DYN" <<<"$headers"'
check "RELRO segment" 'grep -q GNU_RELRO <<<"$headers"'
check "bound at start (full RELRO)" 'grep -Eq "BIND_NOW|FLAGS_1.*NOW" <<<"$headers"'
check "stack protector" 'grep -q -- "-fstack-protector-strong" <<<"$flags"'
check "fortified calls" 'grep -q -- "-D_FORTIFY_SOURCE=2" <<<"$defines"'
exit $fail
