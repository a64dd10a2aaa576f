#!/bin/sh
# `cmake --build <folder> --target uninstall`: takes away what the most
# recent `cmake --install` from that build folder wrote, as its record
# (cmake/install-record.cmake) names it: each file, where it was written
# (under $DESTDIR too), if its bytes are still those installed; then each
# folder that install made, if it is empty.  Nothing else, ever: a file
# changed since is kept and named, and a folder is only ever removed empty.
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

left=""  # the record's lines for what could not be removed
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
  if [ -L "$path" ] || { [ -e "$path" ] && [ ! -f "$path" ]; }; then
    say "kept $path: not the file that was installed"
  elif [ -f "$path" ]; then
    if ! now=$("$cmake" -E sha256sum "$path" 2>&1); then
      say "could not remove $path: it cannot be read"
      left="$left$line$newline" failures=$((failures + 1))
    elif [ "${now%% *}" != "$hash" ]; then
      say "kept $path: changed since it was installed"
    elif error=$(rm -f -- "$path" 2>&1) && [ ! -e "$path" ]; then
      echo "-- Removed: $path"
    else
      say "could not remove $path: $(reason "${error:-it is still there}")"
      left="$left$line$newline" failures=$((failures + 1))
    fi
  fi
done <"$record"

# Deepest first: a path sorts after every folder that holds it.
folders=$(sed -n 's/^folder //p' "$record" | LC_ALL=C sort -r)
while IFS= read -r folder; do
  [ -n "$folder" ] && [ -d "$folder" ] && [ ! -L "$folder" ] || continue
  if error=$(rmdir -- "$folder" 2>&1); then
    echo "-- Removed: $folder/"
  elif [ -n "$(ls -A -- "$folder" 2>/dev/null)" ]; then
    # Files of someone else's, or ones this run could not remove.
    [ "$failures" -gt 0 ] || say "kept $folder/: it holds files that were not installed"
    left="${left}folder $folder$newline"
  else
    say "could not remove $folder/: $(reason "$error")"
    left="${left}folder $folder$newline" failures=$((failures + 1))
  fi
done <<EOF
$folders
EOF

if [ "$failures" -eq 0 ]; then
  rm -f -- "$record" || { say "everything recorded is gone, but its record $record could not be removed"; exit 1; }
  exit 0
fi
# What is left, for the next run; the record as it was serves as well (it
# skips what is gone), so it stays when it cannot be rewritten.
if printf '%s\n%s' "$header" "$left" 2>/dev/null >"$record.new" && mv -f -- "$record.new" "$record" 2>/dev/null; then
  say "$failures not removed; $record lists what is left: run the uninstall again once that is mended"
else
  rm -f -- "$record.new" 2>/dev/null
  say "$failures not removed; $record is kept as it was: run the uninstall again once that is mended"
fi
exit 1
