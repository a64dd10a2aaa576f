# bash completion for pelk: switches in the form the user started typing
# ("/", "-" or "--", in any case), then file names.  The file name is the
# last argument, so nothing is offered after it, nor after the colon of a
# range switch, which a number follows.
#
# With the bash-completion package loaded (wherever completions are loaded
# from share/bash-completion/completions), the words, the file names with
# their quoting, "~" and the colons are its functions' work.  Sourced
# without it, a plain fallback completes only words without quotes,
# backslashes, "$" or a leading "~", and offers nothing for the others
# rather than a wrong word.

# True while pelk still takes switches after `words`: none of them is the
# file name yet.  A switch, its quotes and backslashes taken away, starts
# with "/" or "-" and is no absolute path (which holds a second "/").
_pelk_before_file() {
  local word
  for word; do
    word=${word//[\'\"\\]/}
    [[ $word == [-/]* && $word != /*/* ]] || return 1
  done
}

# Adds to COMPREPLY the switches that `typed` begins, in its form and any
# case: "/FI" offers "/first:".  A range switch's colon takes its number
# with no space between.
_pelk_switches() {
  local typed=$1 marker=/ name
  case $typed in
    --*) marker=-- ;;
    -*) marker=- ;;
  esac
  for name in first: last: mid: hex ascii int help '?'; do
    [[ $marker$name == "${typed,,}"* ]] && COMPREPLY+=("$marker$name")
  done
  if ((${#COMPREPLY[@]} == 1)) && [[ ${COMPREPLY[0]} == *: ]]; then
    compopt -o nospace 2>/dev/null
  fi
}

# What readline keeps of the typed word, as the shell reads it: all up to
# the last colon at which it breaks the word, since it replaces only what
# follows.  Colons inside quotes or after a backslash break nothing, and
# none does where ":" is not in COMP_WORDBREAKS.  (bash-completion's own
# colon trimming compares the word as typed, backslashes and quotes
# included, with the names, and so misses "sp\ ace:d/f".)
_pelk_kept() {
  local typed=$1 i c quote= text= kept=
  [[ $COMP_WORDBREAKS == *:* ]] || return 0
  for ((i = 0; i < ${#typed}; i++)); do
    c=${typed:i:1}
    if [[ $c == '\' && $quote != "'" ]]; then
      ((i += 1))
      text+=${typed:i:1}
    elif [[ $c == [\'\"] && ( -z $quote || $quote == "$c" ) ]]; then
      [[ $quote ]] && quote= || quote=$c
    else
      text+=$c
      [[ $c == : && -z $quote ]] && kept=$text
    fi
  done
  printf %s "$kept"
}

# After the file names are in COMPREPLY, from index `first` on: keeps only
# those that exist (a name holding a newline comes back in pieces that do
# not); marks with "/" a folder that readline cannot see as one (behind a
# colon it broke the word at, or behind a symbolic link); gives whole a
# "~/" name that readline must quote, since quoting would take the "~"
# literally; and takes off what readline keeps of the word.
_pelk_finish_files() {
  local first=$2 i path reply kept
  kept=$(_pelk_kept "$1")
  for ((i = ${#COMPREPLY[@]} - 1; i >= first; i--)); do
    reply=${COMPREPLY[i]}
    path=$reply
    [[ $path == '~/'* ]] && path=$HOME/${path#'~/'}
    if [[ ! -e $path && ! -L $path ]]; then
      unset -v 'COMPREPLY[i]'
      continue
    fi
    if [[ -d $path && $reply != */ ]] && [[ -n $kept || -L $path ]]; then
      reply+=/
    fi
    if [[ -z $kept && $reply == '~/'* && $reply == *[^A-Za-z0-9._/+,:@%=~-]* ]]; then
      reply=$path
    fi
    COMPREPLY[i]=${reply#"$kept"}
  done
  COMPREPLY=("${COMPREPLY[@]}")
  if ((${#COMPREPLY[@]} == 1)) && [[ ${COMPREPLY[0]} == */ ]]; then
    compopt -o nospace 2>/dev/null
  fi
}

# Without bash-completion: the word as typed, after the last blank.
_pelk_plain() {
  local line=${COMP_LINE:0:COMP_POINT}
  local cur=${line##*[[:blank:]]}
  local before=${line%"$cur"}
  local -a words
  read -r -a words <<<"$before"
  _pelk_before_file "${words[@]:1}" || return 0
  [[ ${cur,,} == @(/|-|--)@(first|last|mid):* ]] && return 0
  _pelk_switches "$cur"
  [[ $cur == -* ]] && return 0
  # A word that holds quoting or an expansion is left as it is.
  [[ $cur == *[\'\"\\\$]* || $cur == '~'* || $before == *\\ ]] && return 0
  local first=${#COMPREPLY[@]} path
  while IFS= read -r path; do
    COMPREPLY+=("$path")
  done < <(compgen -f -- "$cur")
  ((${#COMPREPLY[@]} > first)) || return 0
  compopt -o filenames 2>/dev/null
  _pelk_finish_files "$cur" "$first"
}

_pelk() {
  local cur prev words cword comp_args
  if declare -F _comp_initialize >/dev/null; then
    _comp_initialize -n : -- "$@" || return 0
  elif declare -F _init_completion >/dev/null; then
    _init_completion -n : || return 0
  else
    COMPREPLY=()
    _pelk_plain
    return 0
  fi
  _pelk_before_file "${words[@]:1:cword-1}" || return 0
  [[ ${cur,,} == @(/|-|--)@(first|last|mid):* ]] && return 0
  _pelk_switches "$cur"
  [[ $cur == -* ]] && return 0
  local first=${#COMPREPLY[@]}
  if declare -F _comp_compgen_filedir >/dev/null; then
    _comp_compgen -a filedir
  else
    _filedir
  fi
  _pelk_finish_files "$cur" "$first"
}
complete -F _pelk pelk
