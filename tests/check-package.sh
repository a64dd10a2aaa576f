#!/usr/bin/env bash
# Checks the release artifacts packaging/dist.sh made in build/dist: their
# checksums; each .deb passes lintian and holds every file where it
# belongs, for its architecture; each tarball holds the install for any
# prefix, the package's files but for Debian's own two; each tarball's pelk (under qemu for the
# ones this machine cannot run itself) lists what the x86-64 build lists; `man pelk` reads the
# page; the Windows zip holds its three files.
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
  lintian --fail-on error,warning "$deb"
  check "lintian passes on $arch" true
  check "the $arch package holds exactly its files" \
    '[ "$(dpkg-deb -c "$deb" | awk "\$1 !~ /^d/ {print \$6}" | sort)" = "$expected_list" ]'
  check "the $arch package is architecture $arch, section utils, with no dependencies" \
    '[ "$(dpkg-deb -f "$deb" Architecture Section Depends)" = "Architecture: $arch
Section: utils" ]'
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

# dist.sh again: interrupted, then for one target.  Each time build/dist
# holds what it held, since the artifacts are the same bytes.
held=$(cd $dist && sha256sum -- *)
timeout -s INT 5 packaging/dist.sh amd64 >/dev/null 2>&1 || true
check "an interrupted dist.sh leaves build/dist as it was" '[ "$(cd $dist && sha256sum -- *)" = "$held" ]'
packaging/dist.sh amd64 >/dev/null
check "dist.sh amd64 keeps the other targets' artifacts, SHA256SUMS listing them all" \
  '[ "$(cd $dist && sha256sum -- *)" = "$held" ]'
exit $fail
