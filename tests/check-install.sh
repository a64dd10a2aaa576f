#!/bin/sh
# cmake --install puts the binary, the man page and the completions where
# they belong for any prefix, and none of the Debian package's own files;
# the uninstall target then leaves the prefix as it found it: its other
# files and folders, empty ones too, stay.
set -eu
build=$1 prefix=$2
rm -rf "$prefix"
mkdir -p "$prefix/bin" "$prefix/share/man" "$prefix/share/doc/other"
touch "$prefix/bin/other" "$prefix/share/doc/other/README"
before=$(cd "$prefix" && find . | sort)
cmake --install "$build" --prefix "$prefix" >/dev/null
cd "$prefix"
test -x bin/pelk && test -f share/man/man1/pelk.1.gz && test -f share/bash-completion/completions/pelk &&
  test -f share/zsh/site-functions/_pelk && test -f share/fish/vendor_completions.d/pelk.fish &&
  test -f share/doc/pelk/copyright && ! test -e share/lintian && ! test -e share/zsh/vendor-completions
cmake --build "$build" --target uninstall >/dev/null
after=$(find . | sort)
[ "$after" = "$before" ] || { printf 'the prefix held\n%s\nand after the uninstall holds\n%s\n' "$before" "$after"; exit 1; }
