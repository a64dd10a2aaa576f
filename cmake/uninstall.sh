#!/bin/sh
# `cmake --build <folder> --target uninstall`: takes away what the most
# recent `cmake --install` from that build folder wrote, as its record
# (cmake/install-record.cmake) names it: each file, where it was written
# (under $DESTDIR too), if its bytes are still those installed; then each
# folder that install made, if it is empty.  Nothing else, ever: a file
# changed since is kept and named, and a folder is only ever removed empty.
#
#   sh cmake/uninstall.sh RECORD CMAKE
set -u
record=$1 cmake=$2
say() { printf 'uninstall: %s\n' "$*"; }

if [ ! -f "$record" ]; then
  say "no install from this build folder is recorded; nothing removed"
  exit 1
fi
IFS= read -r header <"$record"
case $header in
  "complete "*) ;;
  *)
    say "the last install (into ${header#unfinished }) did not finish, so what it wrote is not known; nothing removed"
    exit 1
    ;;
esac

while IFS= read -r line; do
  case $line in
    "file "*) ;;
    *) continue ;;
  esac
  hash=${line#file }
  hash=${hash%% *}
  path=${line#file * }
  if [ -L "$path" ] || { [ -e "$path" ] && [ ! -f "$path" ]; }; then
    say "kept $path: not the file that was installed"
  elif [ -f "$path" ]; then
    now=$("$cmake" -E sha256sum "$path" 2>/dev/null)
    if [ "${now%% *}" = "$hash" ]; then
      echo "-- Removing: $path"
      rm -f -- "$path"
    else
      say "kept $path: changed since it was installed"
    fi
  fi
done <"$record"

# Deepest first: a path sorts after every folder that holds it.
sed -n 's/^folder //p' "$record" | LC_ALL=C sort -r | while IFS= read -r folder; do
  if [ -d "$folder" ] && [ ! -L "$folder" ] && rmdir -- "$folder" 2>/dev/null; then
    echo "-- Removing: $folder/"
  fi
done
rm -f -- "$record"
