#!/usr/bin/env bash
# Builds the release artifacts of the checked-out commit into build/dist: a
# Debian package and a tarball for Linux on x86-64, aarch64, s390x, 32-bit
# ARM (armhf) and i686, the Windows zip, and SHA256SUMS over them.  Run from
# the repository root.
#
#   packaging/dist.sh [amd64] [arm64] [s390x] [armhf] [i386] [win64]
#
# Naming targets builds only theirs, with only their tool chains; none
# names all six.  An artifact is the same whether built alone or with the
# others.  A run replaces only its own targets' artifacts in build/dist and
# keeps the others; one that fails or is interrupted leaves build/dist as
# it was.  Each target is built in a folder of dist's own, configured afresh
# from its preset every time, so a build folder configured by hand (another
# PELK_KERNELS, other flags) never changes what ships.
#
# The artifacts are the same bit for bit whoever builds the commit, wherever
# and whenever: times come from the commit (SOURCE_DATE_EPOCH, unless the
# caller sets it), and every archive member's time, owner, mode and order
# are fixed.
set -euo pipefail

say() { printf 'dist: %s\n' "$*"; }
die() { printf 'dist: %s\n' "$*" >&2; exit 1; }

# The targets: Debian architecture (the name a caller gives), preset, the
# tarball's processor name (- for the Windows zip), the compiler and the
# package that brings it, and how the build renders lines (for the
# package's description).
targets=(
  "amd64 release x86_64 g++ g++ with SSSE3 byte shuffles where the processor has them"
  "arm64 linux-aarch64 aarch64 aarch64-linux-gnu-g++ g++-aarch64-linux-gnu with NEON byte shuffles"
  "s390x linux-s390x s390x s390x-linux-gnu-g++ g++-s390x-linux-gnu through lookup tables"
  "armhf linux-armhf armv7 arm-linux-gnueabihf-g++ g++-arm-linux-gnueabihf through lookup tables"
  "i386 linux-i386 i686 i686-linux-gnu-g++ g++-i686-linux-gnu with SSSE3 byte shuffles where the processor has them"
  "win64 windows - x86_64-w64-mingw32-g++-posix g++-mingw-w64-x86-64-posix"
)
declare -A known=() wanted=()
for target in "${targets[@]}"; do known[${target%% *}]=1; done
usage="usage: packaging/dist.sh$(printf ' [%s]' "${targets[@]%% *}")"

for argument in "$@"; do
  case "$argument" in
    -h|--help) echo "$usage"; echo "Builds the named targets' release artifacts (none named: all) into build/dist."; exit 0 ;;
    *) [ -n "${known[$argument]:-}" ] || { printf 'dist: unknown argument: %s\n%s\n' "$argument" "$usage" >&2; exit 2; }
       wanted[$argument]=1 ;;
  esac
done
[ $# -gt 0 ] || for name in "${!known[@]}"; do wanted[$name]=1; done
case ${SOURCE_DATE_EPOCH:-0} in
  *[!0-9]*) die "SOURCE_DATE_EPOCH must be a whole number of seconds since 1970, not '$SOURCE_DATE_EPOCH'" ;;
esac

if [ ! -f CMakePresets.json ] || [ ! -f packaging/dist.sh ]; then
  die "run me from the repository root: packaging/dist.sh"
fi

# One run at a time in a checkout: a second one waits here for the first to
# finish.  flock holds the lock and runs the script again under it with the
# lock's descriptor closed, so that nothing the run starts (a compiler that
# outlives a killed run) holds the lock: it is free once the run is gone.
# The run is a process group of its own: TERM, INT or HUP to this process
# stops all of it, compilers too, and then this process ends.
if [ -z "${PELK_DIST_LOCKED:-}" ]; then
  mkdir -p build
  flock -n build/dist.lock true || say "another dist.sh is running in this checkout; waiting for it to finish"
  PELK_DIST_LOCKED=1 setsid flock --close build/dist.lock bash "$0" "$@" &
  run=$!
  # shellcheck disable=SC2317  # called from the traps below
  stop() { kill -TERM -- "-$run" 2>/dev/null; wait "$run"; exit "$1"; }
  trap 'stop 129' HUP
  trap 'stop 130' INT
  trap 'stop 143' TERM
  wait "$run"
  exit $?
fi
unset PELK_DIST_LOCKED

# Each tool, and the Debian package that brings it.
missing=()
need() { command -v "$1" >/dev/null 2>&1 || missing+=("$2"); }
need cmake cmake
need git git
for target in "${targets[@]}"; do
  read -r arch _ _ compiler package _ <<<"$target"
  [ -z "${wanted[$arch]:-}" ] || need "$compiler" "$package"
done
need dpkg-deb dpkg
need gzip gzip
need tar tar
need python3 python3
if [ ${#missing[@]} -gt 0 ]; then
  die "missing tool chain packages; install them with: apt-get install -y ${missing[*]}"
fi

version=$(sed -n 's/^project(pelk VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
[ -n "$version" ] || die "no version in CMakeLists.txt"
if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  SOURCE_DATE_EPOCH=$(git log -1 --format=%ct) || die "not a git checkout, and SOURCE_DATE_EPOCH is not set"
fi
export SOURCE_DATE_EPOCH TZ=UTC LC_ALL=C
if [ -n "$(git status --porcelain --untracked-files=no 2>/dev/null)" ]; then
  say "warning: the checkout has uncommitted changes, so the artifacts are not the commit's"
fi
umask 022

# Everything is made in the work folder; build/dist changes only once every
# requested artifact is there (see the end).
dist=build/dist
work=build/dist-work
made=$work/made
rm -rf "$work"
mkdir -p "$made"

# Every file in a tree gets the commit's time and a mode that depends only
# on what it is: programs 0755, other files 0644, folders 0755.
normalize() {
  find "$1" -type d -exec chmod 0755 {} +
  find "$1" -type f -exec chmod 0644 {} +
  find "$1" -type f \( -path "*/bin/pelk" -o -name pelk.exe \) -exec chmod 0755 {} +
  find "$1" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +
}

# A tar.gz of folder $2 inside $1: sorted, root-owned, the commit's time,
# gzip without a name or a time.
tarball() {
  tar --sort=name --format=gnu --owner=root:0 --group=root:0 --mtime="@$SOURCE_DATE_EPOCH" \
      -C "$1" -cf - "$2" | gzip -9n
}

# Strips the program at $2 with the tool the build of preset $1 chose, as
# Debian does (no .comment either); a strip that fails fails the run.
# (cmake --install --strip would go on without a word.)
strip_program() {
  local tool
  tool=$(sed -n 's/^CMAKE_STRIP:FILEPATH=//p' "build/dist-build/$1/CMakeCache.txt")
  [ -n "$tool" ] || die "the $1 build names no strip tool"
  "$tool" --remove-section=.comment "$2" || die "$tool could not strip $2"
}

# Builds a preset in build/dist-build/<preset>, configured from nothing but
# the preset.
build() {
  say "building $1"
  { cmake --preset "$1" -B "build/dist-build/$1" --fresh && cmake --build "build/dist-build/$1" -j 2; } \
    >"$work/$1.log" 2>&1 || {
    tail -n 40 "$work/$1.log" >&2
    die "the $1 build failed (its log: $work/$1.log)"
  }
}

for target in "${targets[@]}"; do
  read -r arch preset cpu _ _ rendering <<<"$target"
  if [ -z "${wanted[$arch]:-}" ] || [ "$cpu" = - ]; then continue; fi
  build "$preset"

  say "packaging pelk_${version}_$arch.deb and pelk-$version-linux-$cpu.tar.gz"
  # The package: the install under /usr with Debian's own two files.
  root=$work/$arch/root
  for component in Unspecified debian; do
    DESTDIR=$PWD/$root cmake --install "build/dist-build/$preset" --prefix /usr --component "$component" >/dev/null
  done
  strip_program "$preset" "$root/usr/bin/pelk"
  normalize "$root"
  mkdir -p "$root/DEBIAN"
  (cd "$root" && find usr -type f | sort | xargs md5sum) >"$root/DEBIAN/md5sums"
  # Installed-Size as Debian's tools count it: each file's size in KiB,
  # rounded up, and 1 for every other entry, so that it depends on the
  # files alone and not on how a file system sizes folders.
  size=$(find "$root" -path "$root/DEBIAN" -prune -o -printf '%y %s\n' |
         awk '{ total += $1 == "f" ? int(($2 + 1023) / 1024) : 1 } END { print total }')
  sed -e "s/@VERSION@/$version/" -e "s/@ARCHITECTURE@/$arch/" -e "s/@INSTALLED_SIZE@/$size/" \
      -e "s/@RENDERING@/$rendering/" packaging/debian/control >"$root/DEBIAN/control"
  normalize "$root/DEBIAN"
  dpkg-deb --root-owner-group --threads-max=1 -Zxz --build "$root" "$made/pelk_${version}_$arch.deb" >/dev/null

  # The tarball: the install for any prefix, in a folder of its own.
  folder=pelk-$version-linux-$cpu
  cmake --install "build/dist-build/$preset" --prefix "$PWD/$work/$arch/tar/$folder" >/dev/null
  strip_program "$preset" "$work/$arch/tar/$folder/bin/pelk"
  normalize "$work/$arch/tar"
  tarball "$work/$arch/tar" "$folder" >"$made/$folder.tar.gz"
done

# The Windows zip: one folder, as the tarballs have, its text files with
# Windows line ends.
if [ -n "${wanted[win64]:-}" ]; then
  build windows
  folder=pelk-$version-win64
  say "packaging $folder.zip"
  cmake --install build/dist-build/windows --prefix "$PWD/$work/win64/$folder" >/dev/null
  strip_program windows "$work/win64/$folder/pelk.exe"
  sed -i 's/\r*$/\r/' "$work/win64/$folder/LICENSE" "$work/win64/$folder/README.md"
  normalize "$work/win64"
  python3 - "$work/win64" "$folder" "$made/$folder.zip" <<'PY'
# A zip with fixed member times (the commit's, in UTC), modes and order, and
# no extra fields.
import os, sys, time, zipfile
top, folder, target = sys.argv[1], sys.argv[2], sys.argv[3]
stamp = time.gmtime(max(int(os.environ["SOURCE_DATE_EPOCH"]), 315532800))[:6]  # zip starts at 1980
with zipfile.ZipFile(target, "w") as archive:
    archive.writestr(zipfile.ZipInfo(folder + "/", stamp), b"")
    for name in sorted(os.listdir(os.path.join(top, folder))):
        member = zipfile.ZipInfo(folder + "/" + name, stamp)
        member.create_system = 3  # Unix, so that the mode below counts
        member.external_attr = (0o100755 if name.endswith(".exe") else 0o100644) << 16
        member.compress_type = zipfile.ZIP_DEFLATED
        with open(os.path.join(top, folder, name), "rb") as data:
            archive.writestr(member, data.read(), compresslevel=9)
PY
fi

# Into place: the new artifacts replace those of the same name, the others
# stay, and SHA256SUMS lists exactly what build/dist then holds.  Until
# here build/dist is as it was; from here, nothing stops the few renames.
# The old SHA256SUMS goes first and the new one comes last, so that
# build/dist never holds a SHA256SUMS that its files do not match.
trap '' INT TERM HUP
mkdir -p "$dist"
kept=()
for path in "$dist"/*; do
  name=${path##*/}
  [ -f "$path" ] && [ "$name" != SHA256SUMS ] && [ ! -e "$made/$name" ] && kept+=("$name")
done
{
  (cd "$made" && sha256sum -- *)
  [ ${#kept[@]} -eq 0 ] || (cd "$dist" && sha256sum -- "${kept[@]}")
} | sort -k 2 >"$work/SHA256SUMS"
rm -f "$dist/SHA256SUMS"
mv -f "$made"/* "$dist"/
mv -f "$work/SHA256SUMS" "$dist/SHA256SUMS"
rm -rf "$work"
say "done; build/dist holds:"
(cd "$dist" && cat SHA256SUMS)
