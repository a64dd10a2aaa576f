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
for target in "amd64 X86-64 x86_64 -" "arm64 AArch64 aarch64 aarch64" "s390x S/390 s390x s390x" \
              "armhf ARM armv7 armhf" "i386 80386 i686 i386"; do
  read -r arch machine cpu emulated <<<"$target"
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
  root=$work/$arch
  dpkg-deb -x "$deb" "$root"
  check "its pelk is a stripped $machine program" \
    'readelf -h "$root/usr/bin/pelk" | grep -q "Machine: *.*$machine" && ! readelf -S "$root/usr/bin/pelk" | grep -q "\.symtab"'
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
  'MANPATH="$work/amd64/usr/share/man" MANWIDTH=80 man pelk 2>/dev/null | grep -q "pelk $version"'
check "the Windows zip holds LICENSE, README.md and pelk.exe" \
  '[ "$(python3 -c "import sys, zipfile; print(*zipfile.ZipFile(sys.argv[1]).namelist())" $dist/pelk-$version-win64.zip)" = "LICENSE README.md pelk.exe" ]'
exit $fail
