#!/usr/bin/env bash
# Checks the packages the package presets made in build/package: the .deb
# passes lintian, holds every file where it belongs, its pelk lists what the
# build tree's lists, and `man pelk` reads its page; the tarball and the
# Windows zip hold what they should.
set -euo pipefail
cd "$(dirname "$0")/.."
version=$(sed -n 's/^project(pelk VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
deb=build/package/pelk_${version}_amd64.deb
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail=0
check() {
  if eval "$2"; then echo "ok: $1"; else echo "FAILED: $1"; fail=1; fi
}

lintian --fail-on error,warning "$deb"
check "lintian passes" true
dpkg-deb -x "$deb" "$work/root"
root=$work/root
for file in usr/bin/pelk usr/share/man/man1/pelk.1.gz usr/share/doc/pelk/copyright \
            usr/share/doc/pelk/changelog.gz usr/share/bash-completion/completions/pelk \
            usr/share/zsh/vendor-completions/_pelk usr/share/fish/vendor_completions.d/pelk.fish; do
  check "the package holds /$file" '[ -f "$root/$file" ]'
done
check "section utils, no dependencies" \
  '[ "$(dpkg-deb -f "$deb" Section)" = utils ] && [ -z "$(dpkg-deb -f "$deb" Depends)" ]'
check "the binary is stripped" '! readelf -S "$root/usr/bin/pelk" | grep -q "\.symtab"'
check "the copyright file is machine-readable" 'head -1 "$root/usr/share/doc/pelk/copyright" | grep -q "^Format: "'
check "the packaged pelk lists what the build tree's lists" \
  'tests/compare-listings.sh build/package-build/pelk "$root/usr/bin/pelk" >/dev/null'
check "the packaged pelk reports version $version in its man page" \
  'MANPATH="$root/usr/share/man" MANWIDTH=80 man pelk 2>/dev/null | grep -q "pelk $version"'

tar -tzf "build/package/pelk-$version-Linux.tar.gz" >"$work/tarball"
check "the tarball holds bin/pelk and the man page" \
  'grep -q "/bin/pelk$" "$work/tarball" && grep -q "/share/man/man1/pelk.1.gz$" "$work/tarball"'
if [ -f "build/package/pelk-$version-win64.zip" ]; then
  check "the Windows zip holds pelk.exe, LICENSE and README.md" \
    '[ "$(unzip -Z1 "build/package/pelk-$version-win64.zip" | sort | tr "\n" " ")" = "LICENSE README.md pelk.exe " ]'
fi
exit $fail
