# bash completion for pelk: switches in the form the user started typing
# ("/", "-" or "--"), then file names.  The file name is the last argument,
# so nothing is offered after it.

_pelk() {
  local cur=${COMP_WORDS[COMP_CWORD]}
  COMPREPLY=()

  # Bash splits words at ":", so "/first:10" and "a:b.bin" each arrive in
  # three.  Join the pieces that stand together before the cursor into the
  # whole word typed.
  local line=${COMP_LINE:0:COMP_POINT} start=$COMP_CWORD
  while ((start > 1)) && [[ ${COMP_WORDS[start]} == : || ${COMP_WORDS[start - 1]} == : ]] &&
    [[ $line == *"${COMP_WORDS[start - 1]}$cur" ]]; do
    ((start--))
    cur=${COMP_WORDS[start]}$cur
  done

  # Only a switch's colon is followed by a number: nothing to offer there.
  [[ ${cur,,} == @(/|-|--)@(first|last|mid):* ]] && return 0

  # A file name already given ends the command line.
  local i word before
  for ((i = 1; i < start; i++)); do
    word=${COMP_WORDS[i]}
    before=${COMP_WORDS[i - 1]}
    [[ $word == : || $before == : ]] && continue
    if [[ $word != [-/]* || $word == /*/* ]]; then
      return 0
    fi
  done

  # Switches in any case: "/FI" offers "/first:".  The replies are never
  # expanded as globs, whatever the folder holds and the shell's options.
  local marker=/ name path files=()
  case $cur in
    --*) marker=-- ;;
    -*) marker=- ;;
  esac
  for name in first: last: mid: hex ascii int help '?'; do
    [[ ${marker}$name == "${cur,,}"* ]] && COMPREPLY+=("$marker$name")
  done
  if [[ $marker == / ]]; then
    mapfile -t files < <(compgen -f -- "$cur")
    # A folder completes with "/" and no space, even where readline cannot
    # tell it is one (it sees only what follows a ":").
    for path in "${files[@]}"; do
      [[ -d $path ]] && path+=/
      COMPREPLY+=("$path")
    done
    # Readline quotes a file name's ":" and "?" ("/first\:"), so it is told
    # the replies are file names only when no switch is among them.
    ((${#COMPREPLY[@]} == ${#files[@]} && ${#files[@]} > 0)) && compopt -o filenames 2>/dev/null
  fi
  # "/first:" and the like take their number without a space, and a
  # folder what it holds.
  if ((${#COMPREPLY[@]} == 1)) && [[ ${COMPREPLY[0]} == *[:/] ]]; then
    compopt -o nospace 2>/dev/null
  fi
  # Readline replaces only what follows the word's last colon.
  [[ $cur == *:* ]] && COMPREPLY=("${COMPREPLY[@]#"${cur%:*}:"}")
  return 0
}
complete -F _pelk pelk
