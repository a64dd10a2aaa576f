#!/bin/sh
# `cmake --build <folder> --target uninstall`: takes away what the most
# recent `cmake --install` from that build folder wrote, as its record
# (cmake/install-record.cmake) names it: each file, where it was written
# (under $DESTDIR too), if its bytes are still those installed; then each
# folder that install made, if it is empty.  Nothing else, ever: a file
# changed since is kept and named, and a folder is only ever removed empty.
#
# The record names physical places.  A path is acted on only while it still
# leads there, asked of the kernel right before: where a link has been
# swapped in for a folder, or a folder moved, what the path now reaches is
# someone else's, and it is kept and named.  A record that is not whole
# (cut short, edited: its last line does not close it with its counts) is
# refused and nothing is removed.
#
# It says it removed something only once it is gone, and names what it
# could not remove with the system's reason.  When everything recorded is
# gone or kept on purpose, the record goes too; otherwise the record is
# rewritten to what is still there and the exit status is 1, so that
# running it again (with the rights it lacked, say) finishes the job.
#
#   sh cmake/uninstall.sh RECORD CMAKE
set -u
record=$1 cmake=$2
say() { printf 'uninstall: %s\n' "$*"; }
removed() { printf -- '-- Removed: %s\n' "$1"; }
newline='
'

if [ ! -f "$record" ]; then
  say "no install from this build folder is recorded; nothing removed"
  exit 1
fi
IFS= read -r header <"$record"
case $header in
  "complete "*) ;;
  *)
    say "the last install (into ${header#unfinished }) did not finish, so what it wrote is not known; nothing removed"
    say "install again into the same place, then uninstall"
    exit 1
    ;;
esac
files=$(grep -c '^file ' "$record")
folders=$(grep -c '^folder ' "$record")
if [ "$(tail -n 1 "$record")" != "end $files files $folders folders" ]; then
  say "$record is not whole (cut short or edited: its last line does not close it with its counts); nothing removed"
  exit 1
fi

# Where `path` leads now, every link in it resolved; empty where it leads
# nowhere.
leads() { (CDPATH='' cd -P -- "$1" 2>/dev/null && pwd -P); }
# True while the folder `path` is still the place the install recorded;
# otherwise says why not, naming `what` it keeps.
still_there() {
  place=$(leads "$1")
  [ "$place" = "$1" ] && return 0
  if [ -L "$1" ]; then
    say "kept $2: ${1} is now a link to ${place:-nowhere}"
  else
    say "kept $2: ${1} now leads to $place"
  fi
  return 1
}

left=""  # the record's lines for what could not be removed
left_files=0 left_folders=0
failures=0
# The system's reason, from a command's message ("rm: cannot remove 'x': Permission denied").
reason() { printf '%s' "${1##*: }"; }

while IFS= read -r line; do
  case $line in
    "file "*) ;;
    *) continue ;;
  esac
  hash=${line#file }
  hash=${hash%% *}
  path=${line#file * }
  [ -e "$path" ] || [ -L "$path" ] || continue
  # Asked before the file is read, and again right before it is removed.
  still_there "${path%/*}" "$path" || continue
  if [ -L "$path" ] || [ ! -f "$path" ]; then
    say "kept $path: not the file that was installed"
  elif ! now=$("$cmake" -E sha256sum "$path" 2>&1); then
    say "could not remove $path: it cannot be read"
    left="$left$line$newline" left_files=$((left_files + 1)) failures=$((failures + 1))
  elif [ "${now%% *}" != "$hash" ]; then
    say "kept $path: changed since it was installed"
  elif ! still_there "${path%/*}" "$path"; then
    :
  elif error=$(rm -f -- "$path" 2>&1) && [ ! -e "$path" ]; then
    removed "$path"
  else
    say "could not remove $path: $(reason "${error:-it is still there}")"
    left="$left$line$newline" left_files=$((left_files + 1)) failures=$((failures + 1))
  fi
done <"$record"

# Deepest first: a path sorts after every folder that holds it.
folders=$(sed -n 's/^folder //p' "$record" | LC_ALL=C sort -r)
while IFS= read -r folder; do
  [ -n "$folder" ] || continue
  [ -e "$folder" ] || [ -L "$folder" ] || continue
  still_there "$folder" "$folder/" || continue
  if error=$(rmdir -- "$folder" 2>&1); then
    removed "$folder/"
    continue
  elif [ -n "$(ls -A -- "$folder" 2>/dev/null)" ]; then
    # Files of someone else's, or ones this run could not remove.
    [ "$failures" -gt 0 ] || say "kept $folder/: it holds files that were not installed"
  else
    say "could not remove $folder/: $(reason "$error")"
    failures=$((failures + 1))
  fi
  left="${left}folder $folder$newline" left_folders=$((left_folders + 1))
done <<EOF
$folders
EOF

if [ "$failures" -eq 0 ]; then
  rm -f -- "$record" || { say "everything recorded is gone, but its record $record could not be removed"; exit 1; }
  exit 0
fi
# What is left, for the next run; the record as it was serves as well (it
# skips what is gone), so it stays when it cannot be rewritten.
if printf '%s\n%send %s files %s folders\n' "$header" "$left" "$left_files" "$left_folders" 2>/dev/null >"$record.new" &&
   mv -f -- "$record.new" "$record" 2>/dev/null; then
  say "$failures not removed; $record lists what is left: run the uninstall again once that is mended"
else
  rm -f -- "$record.new" 2>/dev/null
  say "$failures not removed; $record is kept as it was: run the uninstall again once that is mended"
fi
exit 1
