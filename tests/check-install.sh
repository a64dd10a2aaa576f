#!/bin/sh
# cmake --install puts the binary, the man page and the completions where
# they belong for any prefix, and none of the Debian package's own files;
# the uninstall target then takes away what the most recent install wrote
# and nothing else: not the prefix's other files and folders, empty ones
# too; not a file of the same name outside $DESTDIR; not a file changed
# since, nor one CMake left as up to date with other bytes; nothing under
# a folder another user can write; nothing at all after an install that
# failed, or with a record that is not the installer's alone or not whole.
#
#   check-install.sh BUILD [quick]     (quick: the first case alone)
#   check-install.sh BUILD odd-folder  (a build folder whose path holds ' $ and a space;
#                                       CMake itself cannot build in one holding " or ;)
#
# It works in a folder of its own under /tmp, which every user can reach,
# whatever folder the checkout is in.
set -eu
build=$1 scope=${2-}
source=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d /tmp/pelk-install.XXXXXX)
trap 'rm -rf "$work"' EXIT
chmod 755 "$work"
cd "$work"
fail=0
tree() { (cd "$1" && find . | LC_ALL=C sort && find . -type f -exec cat {} +); }
# What the uninstall says; its status is the command's, but for $(…).
uninstall() { cmake --build "$build" --target uninstall 2>&1; }
left() { for path; do [ ! -e "$path" ] || echo "$path"; done; }
expect() {  # WHAT HELD HOLDS
  [ "$2" = "$3" ] || { printf '%s: held\n%s\nand after the uninstall holds\n%s\n' "$1" "$2" "$3" | cut -c1-200; fail=1; }
}
# The lines of `text` that hold `words`, as a count.
count() { printf '%s\n' "$1" | grep -c -- "$2" || true; }
why=$(sh "$source/cmake/uninstall.sh" --exposed "$work/x")
[ -z "$why" ] || { echo "the rows cannot run here: the uninstall would keep everything in $work: $why"; exit 1; }

if [ "$scope" = odd-folder ]; then
  odd="$PWD/b sp'q\$x"
  cmake -S "$source" -B "$odd" -DCMAKE_BUILD_TYPE=Release >/dev/null && cmake --build "$odd" -j 2 >/dev/null &&
    cmake --install "$odd" --prefix "$PWD/p" >/dev/null && cmake --build "$odd" --target uninstall >/dev/null ||
    fail=1
  expect "a build folder whose path holds ' \$ and a space: builds, installs and uninstalls" "0 " \
    "$fail $(left p)"
  exit $fail
fi

mkdir -p prefix/bin prefix/share/man prefix/share/doc/other
touch prefix/bin/other prefix/share/doc/other/README
before=$(tree prefix)
(umask 000 && cmake --install "$build" --prefix "$PWD/prefix" >/dev/null)
(cd prefix && test -x bin/pelk && test -f share/man/man1/pelk.1.gz && test -f share/bash-completion/completions/pelk &&
  test -f share/zsh/site-functions/_pelk && test -f share/fish/vendor_completions.d/pelk.fish &&
  test -f share/doc/pelk/copyright && ! test -e share/lintian && ! test -e share/zsh/vendor-completions)
mode=$(stat -c %a "$build/install_record.txt")
uninstall >/dev/null || true
expect "a prefix with files of its own, the record written 644 under umask 000, and gone after" \
  "644 $before" "$mode $(tree prefix; left "$build/install_record.txt")"
[ "$scope" != quick ] || exit $fail

mkdir -p real/bin
echo mine >real/bin/pelk
DESTDIR=$PWD/stage cmake --install "$build" --prefix "$PWD/real" >/dev/null
uninstall >/dev/null || true
expect "a staged install" ". ./bin ./bin/pelk mine  " "$(tree real | tr '\n' ' ') $(left stage)"

odd="$PWD/pre fix[1]"
cmake --install "$build" --prefix "$odd" >/dev/null
touch "$odd/share/doc/pelk/my-notes.txt" "$odd/bin/.keep"
uninstall >/dev/null || true
expect "a prefix with a space and [1]" ". ./bin ./bin/.keep ./share ./share/doc ./share/doc/pelk ./share/doc/pelk/my-notes.txt " \
  "$(tree "$odd" | tr '\n' ' ')"

cmake --install "$build" --prefix "$PWD/good" >/dev/null
before=$(tree good)
mkdir bad
touch bad/share
cmake --install "$build" --prefix "$PWD/bad" >/dev/null 2>&1 || true
if uninstall >/dev/null; then echo "an install that failed: the uninstall did not refuse"; fail=1; fi
expect "an install that failed after a good one" "$before" "$(tree good)"

cmake --install "$build" --prefix "$PWD/changed" >/dev/null
echo mine >changed/share/doc/pelk/copyright
uninstall >/dev/null || true
expect "a file replaced since" ". ./share ./share/doc ./share/doc/pelk ./share/doc/pelk/copyright mine " \
  "$(tree changed | tr '\n' ' ')"

# Relative DESTDIRs and prefixes, each with the folders it made: the root is
# where CMake writes, the prefix made absolute after the DESTDIR.
mkdir rel
(cd rel && DESTDIR=stage cmake --install "$build" --prefix /usr/local >/dev/null)
uninstall >/dev/null || true
(cd rel && cmake --install "$build" --prefix deep/er >/dev/null)
uninstall >/dev/null || true
(cd rel && DESTDIR=stage cmake --install "$build" --prefix rel/p >/dev/null)
uninstall >/dev/null || true
(cd rel && DESTDIR=$PWD/stage cmake --install "$build" --prefix rel/p >/dev/null)
uninstall >/dev/null || true
expect "relative DESTDIRs and prefixes, and the folders they made" "" "$(ls -A rel)"

cmake --install "$build" --prefix "$PWD/again" >/dev/null
cmake --install "$build" --prefix "$PWD/again" --component debian >/dev/null
rm -r again/share/zsh/site-functions && touch again/share/zsh/site-functions
cmake --install "$build" --prefix "$PWD/again" >/dev/null 2>&1 && { echo "the install into a file did not fail"; fail=1; }
rm again/share/zsh/site-functions
cmake --install "$build" --prefix "$PWD/again" >/dev/null
uninstall >/dev/null || true
expect "installs of two components, one that failed, then one that finished, in one prefix" "" "$(left again)"

# What the install did not write as the build made it: a file CMake leaves
# as up to date (the source's time, other bytes) and a link in the place of
# a file are not recorded, and stay.
mkdir -p skipped/share/doc/pelk skipped/share/fish/vendor_completions.d dotfiles
echo mine >skipped/share/doc/pelk/copyright
touch -r "$source/packaging/debian/copyright" skipped/share/doc/pelk/copyright
echo mine >dotfiles/pelk.fish
touch -r "$source/packaging/completions/pelk.fish" dotfiles/pelk.fish
ln -s "$PWD/dotfiles/pelk.fish" skipped/share/fish/vendor_completions.d/pelk.fish
said=$(cmake --install "$build" --prefix "$PWD/skipped")
uninstall >/dev/null || true
expect "a file left as up to date and a link: not recorded, and kept" "2 mine mine" \
  "$(count "$said" 'Not recorded') $(cat skipped/share/doc/pelk/copyright dotfiles/pelk.fish | tr '\n' ' ' | sed 's/ $//')"

# A record that is not whole: edited (a line, the counts kept; a line
# added), or cut short, by lines.  Nothing is removed.
cmake --install "$build" --prefix "$PWD/whole" >/dev/null
before=$(tree whole)
cp "$build/install_record.txt" record.txt
echo foreign >foreign
sed "s|^file [0-9a-f]* \(.*/copyright\)$|file $(sha256sum <foreign | cut -c1-64) $PWD/foreign|" record.txt \
  >"$build/install_record.txt"
said=$(uninstall || true)
sed '1a folder /usr' record.txt >"$build/install_record.txt"
said=$said$(uninstall || true)
head -n 6 record.txt >"$build/install_record.txt"
said=$said$(uninstall || true)
expect "records edited, added to and cut short: each refused, nothing removed" "3 $before foreign" \
  "$(count "$said" 'not whole') $(tree whole) $(cat foreign)"
cp record.txt "$build/install_record.txt"
uninstall >/dev/null || true

# A record cut short cannot tell what its lost lines named: installing again
# into the same place and uninstalling removes every file, and the folders
# the second install made; those the first made stay, empty.
cmake --install "$build" --prefix "$PWD/cut" >/dev/null
head -n 3 "$build/install_record.txt" >cut.txt && mv cut.txt "$build/install_record.txt"
cmake --install "$build" --prefix "$PWD/cut" >/dev/null
uninstall >/dev/null || true
expect "a record cut short, then an install again: its files go, the first install's folders stay" "" \
  "$(find cut -type f -o -type l)"
rm -r cut

# The record is the installer's alone: a link, another user's record, one
# that others can write are refused.
cmake --install "$build" --prefix "$PWD/mine" >/dev/null
before=$(tree mine)
chmod g+w "$build/install_record.txt"
said=$(uninstall || true)
chmod g-w "$build/install_record.txt"
mv "$build/install_record.txt" record.txt && ln -s "$PWD/record.txt" "$build/install_record.txt"
said=$said$(uninstall || true)
rm "$build/install_record.txt" && mv record.txt "$build/install_record.txt"
refused=1 whose="a record others can write, a link"
if [ "$(id -u)" = 0 ]; then  # only root can give the record away
  chown 65534 "$build/install_record.txt"
  said=$said$(uninstall || true)
  chown 0 "$build/install_record.txt"
  refused=2 whose="$whose, another user's record"
fi
expect "$whose: each refused" \
  "$refused 1 $before" "$(count "$said" "not the installer's alone") $(count "$said" 'is a link') $(tree mine)"
uninstall >/dev/null || true

# Nothing is removed through a folder another user can write: a folder of
# another user's on the way, a folder that others can write, which the
# install names too; a sticky one is fine.
if [ "$(id -u)" = 0 ]; then
  cmake --install "$build" --prefix "$PWD/theirs/opt" >/dev/null
  before=$(tree theirs)
  chown 65534 theirs
  said=$(uninstall || true)
  expect "a prefix in another user's folder: its 7 files and 13 folders kept, each named with its owner" "20 $before" \
    "$(count "$said" 'theirs belongs to nobody') $(tree theirs)"
  chown 0 theirs
  uninstall >/dev/null || true
  expect "the folder mended, the record of what was kept takes the rest away" "" "$(left theirs/opt)"
fi
mkdir shared && mkdir -m 777 shared/bin
said=$(cmake --install "$build" --prefix "$PWD/shared")
uninstall >/dev/null || true
mkdir -p -m 1777 sticky
cmake --install "$build" --prefix "$PWD/sticky/opt" >/dev/null
uninstall >/dev/null || true
expect "a folder others can write: the install says the uninstall keeps its file; a sticky one is fine" \
  "1 1 " "$(count "$said" 'shared/bin can be written by others') $(find shared -type f | wc -l) $(ls -A sticky)"
rm -r shared
mkdir -p flip/bin
cmake --install "$build" --prefix "$PWD/flip" >/dev/null
chmod 777 flip/bin
said=$(uninstall || true)
expect "a folder made writable by others since the install: its file is kept" "1 1" \
  "$(count "$said" 'kept .*flip/bin can be written') $(find flip -type f | wc -l)"
chmod 755 flip/bin && { uninstall >/dev/null || true; }

if [ "$(id -u)" = 0 ] && command -v setpriv >/dev/null; then
  # The record where the user may rewrite it, and its own: only the
  # installed files are out of reach.  The user first proves it reaches them.
  cmake --install "$build" --prefix "$PWD/rights" >/dev/null
  as_nobody() { setpriv --reuid=65534 --regid=65534 --clear-groups "$@"; }
  mkdir -m 777 records && cp "$build/install_record.txt" "$source/cmake/uninstall.sh" records/ &&
    chown 65534 records/install_record.txt
  as_nobody test -r rights/bin/pelk -a -r records/uninstall.sh ||
    { echo "nobody cannot reach $work/rights and $work/records: the rights row cannot run"; fail=1; }
  said=$(as_nobody sh records/uninstall.sh records/install_record.txt 2>&1) &&
    { echo "an uninstall without the rights to remove said it was done"; fail=1; }
  expect "an uninstall without rights: nothing said removed, every failure counted, the record kept" \
    "0 7 not removed" "$(count "$said" Removed) $(count "$said" 'could not remove .*Permission denied') \
$(printf '%s\n' "$said" | sed -n 's/.*: [0-9]* \(not removed\);.*/\1/p')"
  chown 0 records/install_record.txt
  sh "$source/cmake/uninstall.sh" records/install_record.txt >/dev/null
  expect "an uninstall without rights, then one with them" "" "$(left rights records/install_record.txt)"
  uninstall >/dev/null || true
fi

# One at a time: an install, or an uninstall, that finds the lock taken
# waits for it.
cat >hold.cmake <<'EOF'
file(LOCK "${record}.lock" GUARD PROCESS)
file(WRITE held "")
while(NOT EXISTS released)
  execute_process(COMMAND sleep 0.1)
endwhile()
EOF
cmake --install "$build" --prefix "$PWD/turns" >/dev/null
for what in install uninstall; do
  rm -f held released
  cmake -Drecord="$build/install_record.txt" -P hold.cmake &
  holder=$!
  while [ ! -e held ] && kill -0 $holder 2>/dev/null; do sleep 0.1; done
  if [ $what = install ]; then
    cmake --install "$build" --prefix "$PWD/turns" >waited.txt 2>&1 &
  else
    uninstall >>waited.txt &
  fi
  waiter=$!
  while [ "$(count "$(cat waited.txt)" waiting)" = "$([ $what = install ] && echo 0 || echo 1)" ] &&
        kill -0 $waiter 2>/dev/null; do sleep 0.1; done
  touch released
  wait
done
expect "an install and an uninstall while another runs each wait for it" "2 " \
  "$(count "$(cat waited.txt)" waiting) $(left turns)"

# Roots the record cannot hold, and a "~" CMake would take for the home
# folder, are refused before anything is written; a "~" before a name and
# "${x}" are names like any other.
mkdir odd home && touch odd/victim
newline='
'
for root in "$PWD/odd/victim$newline$PWD/odd/p" "$PWD/odd/back\\slash" "$PWD/odd/semi;colon"; do
  cmake --install "$build" --prefix "$root" >>odd.txt 2>&1 && { echo "an install under $root finished"; fail=1; }
done
# shellcheck disable=SC2088  # a "~" as the user typed it, quoted
{ HOME=$PWD/home cmake --install "$build" --prefix '~/opt' && echo "FINISHED ~/opt"
  HOME=$PWD/home DESTDIR='~/stage' cmake --install "$build" --prefix /opt && echo "FINISHED ~/stage"; } >>odd.txt 2>&1
# shellcheck disable=SC2016  # a "~" and "${HOME}" as they stand, names like any other
(cd odd && cmake --install "$build" --prefix '~x/${HOME}' >/dev/null)
uninstall >/dev/null || true
expect "odd roots: refused, naming why, or installed and uninstalled" \
  "victim holding a newline holding \"\\\" holding \";\" 2 0" \
  "$(ls -A odd)$(ls -A home) $(grep -o 'holding [^(]*' odd.txt | sed 's/ *$//' | tr '\n' ' ')$(count "$(cat odd.txt)" 'starts with \"~\"') $(count "$(cat odd.txt)" FINISHED)"
exit $fail
