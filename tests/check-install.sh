#!/bin/sh
# cmake --install puts the binary, the man page and the completions where
# they belong for any prefix, and none of the Debian package's own files;
# the uninstall target then takes away what the most recent install wrote
# and nothing else: not the prefix's other files and folders, empty ones
# too; not a file of the same name outside $DESTDIR; not a file changed
# since; not what a path reaches through a link swapped in since; nothing
# at all after an install that failed or with a record cut short.
#
#   check-install.sh BUILD WORK [quick]     (quick: the first case alone)
set -eu
build=$1 work=$2 scope=${3-}
source=$(cd "$(dirname "$0")/.." && pwd)
rm -rf "$work"
mkdir -p "$work"
cd "$work"
fail=0
tree() { (cd "$1" && find . | LC_ALL=C sort && find . -type f -exec cat {} +); }
uninstall() { cmake --build "$build" --target uninstall >/dev/null 2>&1; }
left() { for path; do [ ! -e "$path" ] || echo "$path"; done; }
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
expect "a prefix with files of its own, and the record gone" "$before" "$(tree prefix; left "$build/install_record.txt")"
[ "$scope" != quick ] || exit $fail

mkdir -p real/bin
echo mine >real/bin/pelk
DESTDIR=$PWD/stage cmake --install "$build" --prefix "$PWD/real" >/dev/null
uninstall
expect "a staged install" ". ./bin ./bin/pelk mine  " "$(tree real | tr '\n' ' ') $(left stage)"

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
mkdir rel
(cd rel && DESTDIR=stage cmake --install "$build" --prefix /usr/local >/dev/null)
uninstall
(cd rel && cmake --install "$build" --prefix deep/er >/dev/null)
uninstall
expect "a relative DESTDIR, a relative prefix, and the folders they made" "" "$(ls -A rel)"

cmake --install "$build" --prefix "$PWD/again" >/dev/null
cmake --install "$build" --prefix "$PWD/again" --component debian >/dev/null
rm -r again/share/zsh/site-functions && touch again/share/zsh/site-functions
cmake --install "$build" --prefix "$PWD/again" >/dev/null 2>&1 && { echo "the install into a file did not fail"; fail=1; }
rm again/share/zsh/site-functions
cmake --install "$build" --prefix "$PWD/again" >/dev/null
uninstall
expect "installs of two components, one that failed, then one that finished, in one prefix" "" "$(left again)"

if [ "$(id -u)" = 0 ] && command -v setpriv >/dev/null; then
  # The record where the user may rewrite it: only the installed files are
  # out of reach.
  cmake --install "$build" --prefix "$PWD/rights" >/dev/null
  mkdir -m 777 records && cp "$build/install_record.txt" records/
  said=$(setpriv --reuid=65534 --regid=65534 --clear-groups sh "$source/cmake/uninstall.sh" \
         records/install_record.txt cmake 2>&1) && { echo "an uninstall without the rights to remove said it was done"; fail=1; }
  removed=$(printf '%s\n' "$said" | grep -c Removed || true)
  expect "an uninstall without rights: nothing said removed, the record of it all kept" \
    "0 $(tail -n 1 "$build/install_record.txt")" "$removed $(tail -n 1 records/install_record.txt)"
  sh "$source/cmake/uninstall.sh" records/install_record.txt cmake >/dev/null
  expect "an uninstall without rights, then one with them" "" "$(left rights records/install_record.txt)"
  uninstall
fi

# Physical places: a folder swapped for a link to someone else's since the
# install, and a prefix that reaches its place through a link and "..".
cmake --install "$build" --prefix "$PWD/theirs" >/dev/null
rm theirs/share/doc/pelk/*  # an empty folder of theirs
before=$(tree theirs)
cmake --install "$build" --prefix "$PWD/swapped" >/dev/null
rm -r swapped/bin swapped/share && ln -s "$PWD/theirs/bin" swapped/bin && ln -s "$PWD/theirs/share" swapped/share
uninstall
expect "folders swapped for links to another install" "$before" "$(tree theirs)"
mkdir -p real/sub && ln -s "$PWD/real/sub" link
cmake --install "$build" --prefix "$PWD/link/../theirs" >/dev/null
uninstall
expect "a prefix with .. after a link" "$before" "$(tree theirs; left real/theirs)"

cmake --install "$build" --prefix "$PWD/cut" >/dev/null
before=$(tree cut)
head -c 1200 "$build/install_record.txt" >cut.txt && mv cut.txt "$build/install_record.txt"
uninstall && { echo "a record cut short was acted on"; fail=1; }
expect "a record cut short removes nothing" "$before" "$(tree cut)"

# One install at a time into one place: one that finds the lock taken waits.
cat >hold.cmake <<'EOF'
file(LOCK "${record}.lock" GUARD PROCESS)
file(WRITE held "")
while(NOT EXISTS released)
  execute_process(COMMAND sleep 0.1)
endwhile()
EOF
cmake -Drecord="$build/install_record.txt" -P hold.cmake &
holder=$!
while [ ! -e held ] && kill -0 $holder 2>/dev/null; do sleep 0.1; done
cmake --install "$build" --prefix "$PWD/cut" >waited.txt 2>&1 &
install=$!
while ! grep -q waiting waited.txt && kill -0 $install 2>/dev/null; do sleep 0.1; done
touch released
wait
uninstall
expect "an install while another runs waits for it, then adds to the record" "1 " "$(grep -c waiting waited.txt) $(left cut)"

# Roots the record cannot hold are refused before anything is written; a
# leading "~" and "${x}" are names like any other.
mkdir odd && touch odd/victim
newline='
'
for root in "$PWD/odd/victim$newline$PWD/odd/p" "$PWD/odd/back\\slash" "$PWD/odd/semi;colon"; do
  cmake --install "$build" --prefix "$root" >>odd.txt 2>&1 && { echo "installed under $root"; fail=1; }
done
# shellcheck disable=SC2016  # a "~" and "${HOME}" as they stand, names like any other
(cd odd && cmake --install "$build" --prefix '~x/${HOME}' >/dev/null)
uninstall
expect "odd roots: refused with the character named, or installed and uninstalled" \
  "victim holding a newline holding \"\\\" holding \";\" " "$(ls -A odd) $(grep -o 'holding [^(]*' odd.txt | tr '\n' ' ')"
exit $fail
