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
left() { for path; do [ ! -e "$path" ] || echo "$path"; done; }
mkdir rel
(cd rel && DESTDIR=stage cmake --install "$build" --prefix /usr/local >/dev/null)
uninstall
(cd rel && cmake --install "$build" --prefix deep/er >/dev/null)
uninstall
expect "a relative DESTDIR, a relative prefix, and the folders they made" "" "$(ls -A rel)"

cmake --install "$build" --prefix "$PWD/again" >/dev/null
rm -r again/share/zsh/site-functions && touch again/share/zsh/site-functions
cmake --install "$build" --prefix "$PWD/again" >/dev/null 2>&1 && { echo "the install into a file did not fail"; fail=1; }
rm again/share/zsh/site-functions
cmake --install "$build" --prefix "$PWD/again" >/dev/null
uninstall
expect "installs that failed and then finished in one prefix" "" "$(left again)"

if [ "$(id -u)" = 0 ] && command -v setpriv >/dev/null; then
  cmake --install "$build" --prefix "$PWD/rights" >/dev/null
  setpriv --reuid=65534 --regid=65534 --clear-groups cmake --build "$build" --target uninstall >/dev/null 2>&1 &&
    { echo "an uninstall without the rights to remove said it was done"; fail=1; }
  uninstall
  expect "an uninstall without rights, then one with them" "" "$(left rights)"
fi

cmake --install "$build" --prefix "$PWD/semi;colon" >/dev/null 2>&1 && { echo "a prefix holding ; was installed"; fail=1; }
expect "a prefix holding ; is refused before anything is written" "" "$(left "semi;colon")"
exit $fail
