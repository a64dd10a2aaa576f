#!/bin/sh
# `cmake --build <folder> --target uninstall` runs this under the install's
# lock (cmake/install-record.cmake): it takes away what the most recent
# `cmake --install` from that build folder wrote, as its record names it,
# and nothing else.  It trusts, by construction:
#
# - a record that is the installer's alone: one that is a link, that
#   another user owns, or that group or others can write is refused;
# - a record that is whole: its last line carries the SHA-256 of all above
#   it, so one cut short, edited or added to is refused;
# - no folder another user can write: a path that passes through a folder
#   owned by a user other than root and the user running this, or one that
#   group or others can write (but a sticky one, such as /tmp, whose entry
#   on the way is root's or that user's), is kept and named.  Whoever could
#   swap what such a path reaches cannot write on its way; a link that
#   root or the user has put on it since is named and kept too.
#
# Each file goes if its bytes are still those the build installed, each
# folder the install made once it is empty.  It says it removed something
# only once it is gone and names what it could not remove with the system's
# reason, or why it kept it; then it exits with 1 and keeps a record of
# what is left, so that running it again (with the rights it lacked, or
# the folder mended) finishes the job.
#
#   sh cmake/uninstall.sh RECORD
#   sh cmake/uninstall.sh --exposed PATH...
#
# The second form is the install's question: for each path, a line saying
# why the uninstall would keep it, or an empty line.
set -u
say() { printf 'uninstall: %s\n' "$*"; }
newline='
'
me=$(id -u)

# Sets `why` to the reason the uninstall keeps `path`: the first folder on
# its way that a user other than root and this one can write, or a link on
# its way; returns false where there is none.  Its own variables start
# with e_.
exposed() {
  e_rest=${1#/} e_folder=/
  while [ -n "$e_rest" ]; do
    e_entry=${e_folder%/}/${e_rest%%/*}
    case $e_rest in */*) e_rest=${e_rest#*/} ;; *) e_rest='' ;; esac
    read -r e_uid e_mode e_user <<EOF
$(stat -c '%u %a %U' -- "$e_folder" 2>/dev/null)
EOF
    [ -n "$e_uid" ] || return 1  # gone: nothing there to keep
    if [ "$e_uid" != 0 ] && [ "$e_uid" != "$me" ]; then
      why="$e_folder belongs to $e_user"
      return 0
    fi
    if [ $((0$e_mode & 022)) -ne 0 ]; then
      e_owner=$(stat -c %u -- "$e_entry" 2>/dev/null)
      if [ $((0$e_mode & 01000)) -eq 0 ] || { [ "$e_owner" != 0 ] && [ "$e_owner" != "$me" ]; }; then
        why="$e_folder can be written by others than $e_user (mode $e_mode)"
        return 0
      fi
    fi
    if [ -n "$e_rest" ] && [ -L "$e_entry" ]; then
      why="$e_entry is now a link"
      return 0
    fi
    e_folder=$e_entry
  done
  return 1
}

if [ "${1-}" = --exposed ]; then
  shift
  for path; do
    why=''
    exposed "$path" || why=''
    printf '%s\n' "$why"
  done
  exit 0
fi

record=$1
refuse() { say "$record $*; nothing removed"; exit 1; }
if [ ! -e "$record" ] && [ ! -L "$record" ]; then
  say "no install from this build folder is recorded; nothing removed"
  exit 1
fi
# The installer's alone.
[ ! -L "$record" ] || refuse "is a link"
read -r uid mode user <<EOF
$(stat -c '%u %a %U' -- "$record" 2>/dev/null)
EOF
if [ "$uid" != "$me" ] || [ $((0$mode & 022)) -ne 0 ]; then
  refuse "is not the installer's alone: it belongs to $user, mode $mode (it must be yours, writable by you only)"
fi
if [ ! -r "$record" ] || [ ! -s "$record" ]; then
  refuse "is empty or cannot be read"
fi
IFS= read -r header <"$record"
case $header in
  "complete "*) ;;
  "unfinished "*)
    say "the last install (into ${header#unfinished }) did not finish, so what it wrote is not known; nothing removed"
    say "install again into the same place, then uninstall"
    exit 1
    ;;
  *) refuse "is not a record of an install" ;;
esac
# Whole: the last line closes it with its counts and the SHA-256 of all
# above it.
files=$(grep -c '^file ' "$record")
folders=$(grep -c '^folder ' "$record")
body=$(sed '$d' "$record" | sha256sum)
if [ "$(tail -n 1 "$record")" != "end $files files $folders folders ${body%% *}" ]; then
  refuse "is not whole (cut short, edited or added to: its last line does not close what is above it)"
fi

left=''  # the record's lines for what could not be removed
left_files=0 left_folders=0 failures=0
removed() { printf -- '-- Removed: %s\n' "$1"; }
cannot() {  # WHAT LINE ERROR
  say "could not remove $1: ${3##*: }"
  left="$left$2$newline" failures=$((failures + 1))
}

while IFS= read -r line; do
  case $line in "file "*) ;; *) continue ;; esac
  hash=${line#file } path=${line#file * }
  hash=${hash%% *}
  [ -e "$path" ] || [ -L "$path" ] || continue
  if exposed "$path"; then
    say "kept $path: $why"
    left="$left$line$newline" left_files=$((left_files + 1)) failures=$((failures + 1))
  elif [ -L "$path" ] || [ ! -f "$path" ]; then
    say "kept $path: not the file that was installed"
  elif ! now=$(sha256sum -- "$path" 2>&1); then
    cannot "$path" "$line" "${now:-it cannot be read}"
    left_files=$((left_files + 1))
  elif [ "${now%% *}" != "$hash" ]; then
    say "kept $path: changed since it was installed"
  elif error=$(rm -f -- "$path" 2>&1); then
    removed "$path"
  else
    cannot "$path" "$line" "$error"
    left_files=$((left_files + 1))
  fi
done <"$record"

# Deepest first: a path sorts after every folder that holds it.
while IFS= read -r folder; do
  [ -n "$folder" ] || continue
  [ -e "$folder" ] || [ -L "$folder" ] || continue
  if exposed "$folder"; then
    say "kept $folder/: $why"
    left="${left}folder $folder$newline" failures=$((failures + 1))
  elif [ -L "$folder" ]; then
    say "kept $folder/: it is now a link"
    continue
  elif error=$(rmdir -- "$folder" 2>&1); then
    removed "$folder/"
    continue
  elif [ -n "$(ls -A -- "$folder" 2>/dev/null)" ]; then
    # Files of someone else's, or ones this run could not remove.
    [ "$failures" -gt 0 ] || say "kept $folder/: it holds files that were not installed"
    left="${left}folder $folder$newline"
  else
    cannot "$folder/" "folder $folder" "$error"
  fi
  left_folders=$((left_folders + 1))
done <<EOF
$(sed -n 's/^folder //p' "$record" | LC_ALL=C sort -r)
EOF

if [ "$failures" -eq 0 ]; then
  rm -f -- "$record" || { say "everything recorded is gone, but its record $record could not be removed"; exit 1; }
  exit 0
fi
# What is left, for the next run, closed as the install closes a record; the
# record as it was serves as well (it skips what is gone), so it stays when
# it cannot be rewritten.
body="$header$newline$left"
if printf '%send %s files %s folders %s\n' "$body" "$left_files" "$left_folders" \
     "$(printf '%s' "$body" | sha256sum | sed 's/ .*//')" 2>/dev/null >"$record.new" &&
   mv -f -- "$record.new" "$record" 2>/dev/null; then
  say "$failures not removed; $record lists what is left: run the uninstall again once that is mended"
else
  rm -f -- "$record.new" 2>/dev/null
  say "$failures not removed; $record is kept as it was: run the uninstall again once that is mended"
fi
exit 1
