#!/usr/bin/env bash
# Checks the release artifacts packaging/dist.sh made in build/dist: their
# checksums; each .deb passes lintian and holds every file where it
# belongs, for its architecture; each tarball holds the install for any
# prefix, the package's files but for Debian's own two; each tarball's pelk (under qemu for the
# ones this machine cannot run itself) lists what the x86-64 build lists; `man pelk` reads the
# page; the Windows zip holds its three files.
# Each check is a command in single quotes that check() evaluates: it
# expands the variables itself, where shellcheck sees them unused.
# shellcheck disable=SC2016,SC2034
set -euo pipefail
cd "$(dirname "$0")/.."
version=$(sed -n 's/^project(pelk VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
dist=build/dist
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail=0
check() {
  if eval "$2"; then echo "ok: $1"; else echo "FAILED: $1"; fail=1; fi
}

check "the changelogs' top sections name the version the artifacts carry, $version" \
  '[ "$(awk "/^## /{ print \$2; exit }" CHANGELOG.md) $(awk "NR == 1 { print \$2 }" packaging/debian/changelog)" = \
     "$version ($version)" ]'
check "SHA256SUMS covers the eleven artifacts and matches them" \
  '[ "$(wc -l <$dist/SHA256SUMS)" -eq 11 ] && (cd $dist && sha256sum --quiet -c SHA256SUMS)'

files="usr/bin/pelk usr/share/man/man1/pelk.1.gz usr/share/doc/pelk/copyright
       usr/share/doc/pelk/changelog.gz usr/share/bash-completion/completions/pelk
       usr/share/zsh/vendor-completions/_pelk usr/share/fish/vendor_completions.d/pelk.fish
       usr/share/lintian/overrides/pelk"
expected_list=$(for f in $files; do echo "./$f"; done | sort)
tar_files="bin/pelk share/man/man1/pelk.1.gz share/doc/pelk/copyright share/doc/pelk/changelog.gz
           share/bash-completion/completions/pelk share/zsh/site-functions/_pelk
           share/fish/vendor_completions.d/pelk.fish"
# Debian architecture, ELF machine as readelf names it, tarball processor,
# the target's name for cmake/emulator.sh
# and a word its description gives for how its build renders lines
for target in "amd64 X86-64 x86_64 - SSSE3" "arm64 AArch64 aarch64 aarch64 NEON" "s390x S/390 s390x s390x tables" \
              "armhf ARM armv7 armhf tables" "i386 80386 i686 i386 SSSE3"; do
  read -r arch machine cpu emulated rendering <<<"$target"
  runner=
  [ "$emulated" = - ] || runner=$(cmake/emulator.sh "$emulated")
  deb=$dist/pelk_${version}_$arch.deb
  lintian --fail-on error,warning,info "$deb"
  check "lintian passes on $arch, without a note" true
  check "the $arch package holds exactly its files" \
    '[ "$(dpkg-deb -c "$deb" | awk "\$1 !~ /^d/ {print \$6}" | sort)" = "$expected_list" ]'
  check "the $arch package is architecture $arch, section utils, with no dependencies" \
    '[ "$(dpkg-deb -f "$deb" Architecture Section Depends)" = "Architecture: $arch
Section: utils" ]'
  check "the $arch package's Installed-Size is each file's KiB, rounded up, and 1 for every other entry" \
    '[ "$(dpkg-deb -f "$deb" Installed-Size)" = \
       "$(dpkg-deb -c "$deb" | awk "{ n += \$1 ~ /^-/ ? int((\$3 + 1023) / 1024) : 1 } END { print n }")" ]'
  check "the $arch package's description says how its build renders lines" \
    'grep -qw "$rendering" <<<"$(dpkg-deb -f "$deb" Description)"'
  root=$work/$arch
  dpkg-deb -x "$deb" "$root"
  check "its pelk is a stripped $machine program" \
    'grep -q "Machine: *.*$machine" <<<"$(readelf -h "$root/usr/bin/pelk")" &&
     ! grep -q "\.symtab" <<<"$(readelf -S "$root/usr/bin/pelk")"'
  tar -xzf "$dist/pelk-$version-linux-$cpu.tar.gz" -C "$work"
  folder=pelk-$version-linux-$cpu
  check "the $cpu tarball holds the install for any prefix" \
    '[ "$(tar -tzf "$dist/$folder.tar.gz" | grep -v "/$" | sort)" = "$(for f in $tar_files; do echo "$folder/$f"; done | sort)" ]'
  check "its files are the package's, zsh's completion under site-functions" \
    'diff -r -x lintian -x zsh "$root/usr" "$work/$folder" >/dev/null &&
     cmp -s "$root/usr/share/zsh/vendor-completions/_pelk" "$work/$folder/share/zsh/site-functions/_pelk"'
  check "the $cpu tarball's pelk lists what the x86-64 build lists" \
    'tests/compare-listings.sh build/release/pelk "$runner $work/pelk-$version-linux-$cpu/bin/pelk" >/dev/null'
done
check "the packaged man page is version $version and reads" \
  'grep -q "pelk $version" <<<"$(MANPATH="$work/amd64/usr/share/man" MANWIDTH=80 man pelk 2>/dev/null)"'
zip=$dist/pelk-$version-win64.zip
check "the Windows zip holds LICENSE, README.md and pelk.exe in one folder, the texts with CR LF" \
  '[ "$(python3 -c "import sys, zipfile; print(*zipfile.ZipFile(sys.argv[1]).namelist())" $zip)" = \
     "pelk-$version-win64/ pelk-$version-win64/LICENSE pelk-$version-win64/README.md pelk-$version-win64/pelk.exe" ] &&
   python3 -c "import re, sys, zipfile; z = zipfile.ZipFile(sys.argv[1]); sys.exit(any(re.search(rb\"(?<!\r)\n\", z.read(n)) for n in z.namelist() if n.endswith((\"LICENSE\", \".md\"))))" $zip'

# dist.sh again: interrupted, waiting for another run, killed, failing as
# its artifacts move in, then for one target.  Each time build/dist holds
# what it held, since the artifacts are the same bytes.
held=$(cd $dist && sha256sum -- *)
timeout -s INT 5 packaging/dist.sh amd64 >/dev/null 2>&1 || true
check "an interrupted dist.sh leaves build/dist as it was" '[ "$(cd $dist && sha256sum -- *)" = "$held" ]'
# Another run holds the lock: one started now says so and waits.
exec 8>build/dist.lock
flock 8
packaging/dist.sh amd64 >"$work/waited" 2>&1 8>&- &
waiter=$!
while kill -0 "$waiter" 2>/dev/null && ! grep -q "waiting for it to finish" "$work/waited"; do sleep 0.1; done
kill "$waiter" 2>/dev/null || true
wait "$waiter" || true
exec 8>&-
check "a dist.sh started while another runs waits for it" \
  'grep -q "waiting for it to finish" "$work/waited" && [ "$(cd $dist && sha256sum -- *)" = "$held" ]'
# Stopped by TERM in the middle of its build: all of the run stops, and the
# lock is free.  The build's first cmake waits for the row's word, so the
# run cannot end before the signal.
shadow=$work/shadow
mkdir "$shadow"
printf '#!/bin/sh\ntouch "%s/started"\nwhile [ ! -e "%s/released" ]; do sleep 0.1; done\nexec %s "$@"\n' \
  "$shadow" "$shadow" "$(command -v cmake)" >"$shadow/cmake"
chmod +x "$shadow/cmake"
PATH=$shadow:$PATH packaging/dist.sh amd64 >/dev/null 2>&1 &
run=$!
while [ ! -e "$shadow/started" ] && kill -0 "$run" 2>/dev/null; do sleep 0.1; done
kill -TERM "$run"
status=0
wait "$run" || status=$?
still=$(pgrep -f "$shadow/cmake" || true)
touch "$shadow/released"
check "a dist.sh stopped by TERM during its build stops whole (status 143) and frees the lock" \
  '[ -e "$shadow/started" ] && [ "$status" = 143 ] && [ -z "$still" ] && flock -n build/dist.lock true'
# A tool that is missing is named at once with the package that brings it;
# a run asks only for its own targets' tool chains.
bare=$work/bare
mkdir "$bare"
ln -s /usr/bin/* "$bare"/
rm -f "$bare/tar" "$bare/arm-linux-gnueabihf-g++"
said=$(PATH=$bare packaging/dist.sh amd64 2>&1) || true
said_armhf=$(PATH=$bare packaging/dist.sh armhf 2>&1) || true
check "a missing tool is named at once with its package, a target's compiler only for that target" \
  '[ "$said" = "dist: missing tool chain packages; install them with: apt-get install -y tar" ] &&
   [ "$said_armhf" = "dist: missing tool chain packages; install them with: apt-get install -y g++-arm-linux-gnueabihf tar" ]'
said=$(SOURCE_DATE_EPOCH=2026-12-09 packaging/dist.sh amd64 2>&1) || true
check "a SOURCE_DATE_EPOCH that is no number is refused before anything is built" \
  '[ "$said" = "dist: SOURCE_DATE_EPOCH must be a whole number of seconds since 1970, not '"'"'2026-12-09'"'"'" ]'
# Killed in the middle of its build, dist.sh alone: what it started runs
# on, without the lock.
setsid packaging/dist.sh amd64 >/dev/null 2>&1 &
group=$!
for _ in $(seq 600); do pgrep -g "$group" -x cc1plus >/dev/null && break; sleep 0.1; done
pkill -KILL -g "$group" -f 'dist\.sh' || true
wait "$group" || true
check "a dist.sh killed during its build leaves the lock free" 'flock -n build/dist.lock true'
kill -KILL -- "-$group" 2>/dev/null || true
cp -a "$dist" "$work/held"
rm "$dist/pelk_${version}_amd64.deb" && mkdir "$dist/pelk_${version}_amd64.deb"
SOURCE_DATE_EPOCH=1 packaging/dist.sh amd64 >/dev/null 2>&1 && { echo "FAILED: dist.sh moved its package onto a folder"; fail=1; }
check "a dist.sh that fails as its artifacts move in leaves no SHA256SUMS that they do not match" \
  '[ ! -e $dist/SHA256SUMS ] || (cd $dist && sha256sum --quiet -c SHA256SUMS)'
rm -rf "$dist" && mv "$work/held" "$dist"
packaging/dist.sh amd64 >/dev/null
check "dist.sh amd64 keeps the other targets' artifacts, SHA256SUMS listing them all" \
  '[ "$(cd $dist && sha256sum -- *)" = "$held" ]'
exit $fail
