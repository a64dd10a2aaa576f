#!/usr/bin/env bash
# The release artifacts are reproducible: a fresh clone of the same commit
# at another path, built with another umask and time zone at another time,
# gives byte-identical artifacts, even where its build folders were first
# configured by hand with other settings, a source file is older than the
# commit, the build folder gives every new folder write rights for others
# (a default ACL), and on another file system where the machine has one (a
# tmpfs sizes folders unlike a disk).  Compares its SHA256SUMS with
# build/dist's (made by packaging/dist.sh in this checkout, which must be
# clean).
set -euo pipefail
cd "$(dirname "$0")/.."
[ -f build/dist/SHA256SUMS ] || { echo "no build/dist/SHA256SUMS: run packaging/dist.sh first" >&2; exit 1; }
[ -z "$(git status --porcelain --untracked-files=no)" ] || {
  echo "the checkout has uncommitted changes; build/dist is not the commit's" >&2
  exit 1
}
command -v setfacl >/dev/null || { echo "setfacl is missing (apt-get install -y acl): the check cannot run" >&2; exit 1; }
elsewhere=
for folder in /dev/shm "${TMPDIR:-/tmp}"; do
  if [ -d "$folder" ] && [ -w "$folder" ] && [ "$(stat -f -c %T "$folder")" != "$(stat -f -c %T .)" ]; then
    elsewhere=$folder
    break
  fi
done
other=$(mktemp -d ${elsewhere:+-p "$elsewhere"})/somewhere/else/pelk
trap 'rm -rf "${other%/somewhere/else/pelk}"' EXIT
(
  umask 077
  git clone -q "$PWD" "$other"
  cd "$other"
  touch -d 2000-01-01 packaging/debian/copyright
  mkdir build && setfacl -d -m o::rwx build
  for folder in build/release build/dist-build/release; do
    cmake -S . -B "$folder" -DPELK_KERNELS=portable -DCMAKE_BUILD_TYPE=Debug >/dev/null
  done
  TZ=XYZ-14 packaging/dist.sh >/dev/null  # UTC+14, with no time zone data needed
)
if diff -u build/dist/SHA256SUMS "$other/build/dist/SHA256SUMS"; then
  echo "reproducible: $(wc -l <build/dist/SHA256SUMS) artifacts identical in a second clone" \
       "(umask 077, UTC+14, folders configured otherwise, an old source file, a default ACL, on $(stat -f -c %T "$other"))"
else
  echo "the artifacts differ between two builds of the same commit" >&2
  exit 1
fi
