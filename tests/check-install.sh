#!/bin/sh
# cmake --install puts the binary, the man page and the completions where
# they belong for any prefix, and none of the Debian package's own files;
# the uninstall target then takes away what the most recent install wrote
# and nothing else: not the prefix's other files and folders, empty ones
# too; not a file of the same name outside $DESTDIR; not a file changed
# since; nothing at all after an install that failed.
set -eu
build=$1 work=$2
rm -rf "$work"
mkdir -p "$work"
cd "$work"
fail=0
tree() { (cd "$1" && find . | LC_ALL=C sort && find . -type f -exec cat {} +); }
uninstall() { cmake --build "$build" --target uninstall >/dev/null 2>&1; }
expect() {  # WHAT HELD HOLDS
  [ "$2" = "$3" ] || { printf '%s: held\n%s\nand after the uninstall holds\n%s\n' "$1" "$2" "$3"; fail=1; }
}

mkdir -p prefix/bin prefix/share/man prefix/share/doc/other
touch prefix/bin/other prefix/share/doc/other/README
before=$(tree prefix)
cmake --install "$build" --prefix "$PWD/prefix" >/dev/null
(cd prefix && test -x bin/pelk && test -f share/man/man1/pelk.1.gz && test -f share/bash-completion/completions/pelk &&
  test -f share/zsh/site-functions/_pelk && test -f share/fish/vendor_completions.d/pelk.fish &&
  test -f share/doc/pelk/copyright && ! test -e share/lintian && ! test -e share/zsh/vendor-completions)
uninstall
expect "a prefix with files of its own" "$before" "$(tree prefix)"

mkdir -p real/bin
echo mine >real/bin/pelk
DESTDIR=$PWD/stage cmake --install "$build" --prefix "$PWD/real" >/dev/null
uninstall
expect "a staged install" ". ./bin ./bin/pelk mine  " "$(tree real | tr '\n' ' ') $(find stage -type f)"

odd="$PWD/pre fix[1]"
cmake --install "$build" --prefix "$odd" >/dev/null
touch "$odd/share/doc/pelk/my-notes.txt" "$odd/bin/.keep"
uninstall
expect "a prefix with a space and [1]" ". ./bin ./bin/.keep ./share ./share/doc ./share/doc/pelk ./share/doc/pelk/my-notes.txt " \
  "$(tree "$odd" | tr '\n' ' ')"

cmake --install "$build" --prefix "$PWD/good" >/dev/null
before=$(tree good)
mkdir bad
touch bad/share
cmake --install "$build" --prefix "$PWD/bad" >/dev/null 2>&1 || true
if uninstall; then echo "an install that failed: the uninstall did not refuse"; fail=1; fi
expect "an install that failed after a good one" "$before" "$(tree good)"

cmake --install "$build" --prefix "$PWD/changed" >/dev/null
echo mine >changed/share/doc/pelk/copyright
uninstall
expect "a file replaced since" ". ./share ./share/doc ./share/doc/pelk ./share/doc/pelk/copyright mine " \
  "$(tree changed | tr '\n' ' ')"
exit $fail
