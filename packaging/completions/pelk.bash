# bash completion for pelk: switches in the form the user started typing
# ("/", "-" or "--", in any case), then file names.  The file name is the
# last argument, so nothing is offered after it, nor after the colon of a
# range switch, which a number follows.
#
# The script decides only what is pelk's own: whether a file name is still
# wanted, and which switches fit the word.  File names are the shell's
# work: with the bash-completion package loaded (wherever completions are
# loaded from share/bash-completion/completions), its functions, as for
# `cat`; where they have nothing to add (variables, "~user", redirection
# targets) and without that package, readline's own completion, which the
# script asks for on each such Tab (-o bashdefault -o default).  pelk is
# registered without those options: bash-completion turns a command's
# registered options back on after its function has run behind sudo,
# nice, time, command or xargs, which would bring readline's file names
# back where pelk wants none.  A word that starts with "-" is a switch to
# pelk, so it is never completed to a file name.

# True while pelk still takes switches after the words given: none of them
# is the file name yet.  A switch, its quotes and backslashes taken away,
# starts with "/" or "-" and is no absolute path (which holds a second "/").
_pelk_before_file() {
  local word
  for word; do
    word=${word//[\'\"\\]/}
    [[ $word == [-/]* && $word != /*/* ]] || return 1
  done
}

# Adds to COMPREPLY the switches that `typed` (quotes taken away) begins,
# in its form and any case: "/FI" offers "/first:".  A range switch's colon
# takes its number with no space between.  "?" is a glob character: it
# goes in escaped.  Names already there (those in "/" for a word such as
# "/h") are then spelled out as readline would insert them, quoted and a
# folder with its "/": as file names (-o filenames) readline would list
# the switches without their "/", as it lists only a path's last part.
_pelk_switches() {
  local typed=${1//[\'\"\\]/} marker=/ name i files=${#COMPREPLY[@]}
  case $typed in
    --*) marker=-- ;;
    -*) marker=- ;;
  esac
  for name in first: last: mid: hex ascii int help '\?'; do
    [[ $marker${name#\\} == "${typed,,}"* ]] && COMPREPLY+=("$marker$name")
  done
  if ((files > 0 && ${#COMPREPLY[@]} > files)); then
    compopt +o filenames 2>/dev/null
    for ((i = 0; i < files; i++)); do
      [[ -d ${COMPREPLY[i]} && ${COMPREPLY[i]} != */ ]] && COMPREPLY[i]+=/
      printf -v 'COMPREPLY[i]' %q "${COMPREPLY[i]}"
    done
  fi
  if ((${#COMPREPLY[@]} == 1)) && [[ ${COMPREPLY[0]} == *: ]]; then
    compopt -o nospace 2>/dev/null
  fi
}

# No completion at all: not readline's either.
_pelk_nothing() {
  COMPREPLY=()
}

# Readline's own completion, for this Tab.
_pelk_default() {
  compopt -o bashdefault -o default 2>/dev/null
}

# What readline keeps of the typed word, as the shell reads it: all up to
# the last ":" or "=" at which it breaks the word (COMP_WORDBREAKS), since
# it replaces only what follows.  One inside quotes or after a backslash
# breaks nothing.  Sets the caller's `kept`.  (bash-completion's own colon
# trimming compares the word as typed, backslashes and quotes included,
# with the names, and so misses "sp\ ace:d/f".)
_pelk_kept() {
  local typed=$1 i c quote='' text=''
  kept=''
  for ((i = 0; i < ${#typed}; i++)); do
    c=${typed:i:1}
    if [[ $c == "\\" && $quote != "'" ]]; then
      ((i += 1))
      text+=${typed:i:1}
    elif [[ $c == [\'\"] && ( -z $quote || $quote == "$c" ) ]]; then
      [[ $quote ]] && quote='' || quote=$c
    else
      text+=$c
      [[ $c == [:=] && -z $quote && $COMP_WORDBREAKS == *"$c"* ]] && kept=$text
    fi
  done
}

# A word with a ":" or "=" at which readline breaks it: readline replaces
# only what follows, so the names in COMPREPLY lose what it keeps.  A name
# that does not begin with that exactly (its case differs, where readline
# ignores case) cannot be put there: it goes, and the word stays as typed.
# A folder gets its "/" here, since readline no longer sees the whole
# name.  Costs nothing for other words.
_pelk_after_break() {
  [[ $1 == *[:=]* ]] || return 0
  local i path kept
  _pelk_kept "$1"
  [[ $kept ]] || return 0
  for i in "${!COMPREPLY[@]}"; do
    path=${COMPREPLY[i]}
    if [[ $path != "$kept"* ]]; then
      unset -v 'COMPREPLY[i]'
      continue
    fi
    [[ -d ${path/#\~\//$HOME/} && $path != */ ]] && path+=/
    COMPREPLY[i]=${path#"$kept"}
  done
  COMPREPLY=("${COMPREPLY[@]}")
}

# Readline quotes a "~/" name with backslashes, the "~" too, which then
# names a folder "~": a name that needs quoting is given whole, the home
# folder spelled out.  Costs nothing for other words.
_pelk_tilde() {
  [[ $1 == \~/* ]] || return 0
  local i
  for i in "${!COMPREPLY[@]}"; do
    [[ ${COMPREPLY[i]} == \~/*[^A-Za-z0-9._/+,:@%=~-]* ]] && COMPREPLY[i]=$HOME/${COMPREPLY[i]#\~/}
  done
}

# A single name that is a link to a folder: readline marks only real
# folders with "/", so it gets it here, and no space after it.
_pelk_mark_folder() {
  ((${#COMPREPLY[@]} == 1)) || return 0
  local path=${COMPREPLY[0]/#\~\//$HOME/}
  [[ -L $path && -d $path && $path != */ ]] && COMPREPLY[0]+=/
  [[ ${COMPREPLY[0]} == */ ]] && compopt -o nospace 2>/dev/null
  return 0
}

# True when the word, as typed, starts from a variable (a "$" neither
# escaped nor in single quotes) or from "~user".
_pelk_expands() {
  [[ ${1//\\\$/} == *\$* && $1 != \'* || $1 == \~[^/]* ]]
}

# Readline's own completion goes wrong for pelk after "~" or a variable:
# it quotes a name with backslashes, so a newline in it joins the lines and
# a "$" stays bare; it gives a link to a folder no "/"; and it completes
# only what follows a ":" or "=" it breaks the word at.  True when `word`
# (as typed) has such a break or a name it begins holds any of these (a
# name with a newline comes back from compgen in pieces that name nothing).
# Costs a look at the names for such words only.
_pelk_misquoted() {
  local typed kept
  _pelk_kept "$1"
  [[ $kept ]] && return 0
  typed=${1//[\'\"\\]/}
  local path home
  # The folder the word starts from: a variable's value, a home folder.
  if [[ $typed =~ ^\$\{?([A-Za-z_][A-Za-z0-9_]*)\}?(/.*)$ ]]; then
    typed=${!BASH_REMATCH[1]-}${BASH_REMATCH[2]}
  elif [[ $typed =~ ^~([A-Za-z0-9._-]*)(/.*)$ ]]; then
    eval "home=~${BASH_REMATCH[1]}"  # a user name, checked above: no expansion but the "~"
    typed=$home${BASH_REMATCH[2]}
  fi
  while IFS= read -r path; do
    [[ $path != *\$* && -e $path && ! ( -L $path && -d $path ) ]] || return 0
  done < <(compgen -f -- "$typed")
  return 1
}

# A name holding a newline comes back from compgen in pieces, which name
# nothing; a piece after the first does not begin as the word does.  Where
# a name in COMPREPLY does not begin with `typed` (the word, its quoting
# taken away), which a few matches over the names joined tell, each is
# looked at and the pieces go; for an empty word, where every name begins
# as it does, where one look at the folder finds a name with a newline.
# (A piece that happens to begin as the word does stays.)
_pelk_drop_pieces() {
  local typed=$1 i path names
  if [[ $typed && $typed != */ ]]; then
    local IFS=$'\n'
    names=$'\n'"${COMPREPLY[*]}"$'\n'
    IFS=$' \t\n'
    for ((i = 0; i < ${#typed}; i++)); do
      [[ $names == *$'\n'"${typed:0:i}"[!"${typed:i:1}"]* ]] && break
    done
    ((i < ${#typed})) || return 0
  else
    local folder=${typed:-./} nullglob='' failglob=''
    [[ $folder == \~/* ]] && folder=$HOME${folder#\~}
    shopt -q nullglob && nullglob=1
    shopt -q failglob && failglob=1
    shopt -s nullglob
    shopt -u failglob
    local -a broken=("$folder"*$'\n'*)
    [[ $nullglob ]] || shopt -u nullglob
    [[ $failglob ]] && shopt -s failglob
    ((${#broken[@]})) || return 0
  fi
  for i in "${!COMPREPLY[@]}"; do
    path=${COMPREPLY[i]/#\~\//$HOME/}
    [[ -e $path || -L $path ]] || unset -v 'COMPREPLY[i]'
  done
  COMPREPLY=("${COMPREPLY[@]}")
}

# Without bash-completion: the line up to the cursor, read as the shell
# reads it, whatever IFS holds: the words before the cursor's go to
# _pelk_words, quotes and backslashes taken away, redirections ("> f",
# ">>f", "2>&1", "< f") and their targets left out; the cursor's word goes
# to _pelk_cur as typed.  Returns false when that word is a redirection's
# target.
_pelk_read_line() {
  local IFS=$' \t\n' line=${COMP_LINE:0:COMP_POINT} c quote='' word='' start=0 started='' target='' i
  _pelk_words=()
  for ((i = 0; i < ${#line}; i++)); do
    c=${line:i:1}
    if [[ $quote ]]; then
      if [[ $c == "$quote" ]]; then
        quote=
      elif [[ $c == "\\" && $quote == '"' && ${line:i+1:1} == [\"\\\$\`] ]]; then
        ((i += 1)); word+=${line:i:1}
      else
        word+=$c
      fi
    elif [[ $c == [\'\"] ]]; then
      quote=$c started=1
    elif [[ $c == "\\" ]]; then
      ((i += 1)); word+=${line:i:1} started=1
    elif [[ $c == [[:blank:]] ]]; then
      if [[ $started ]]; then
        [[ $target ]] || _pelk_words+=("$word")
        word='' started='' target=''
      fi
      start=$((i + 1))
    elif [[ $c == [\<\>] || $c == '&' && ${line:i+1:1} == '>' ]]; then
      # A redirection: its digits (2>) or & (&>) are no word; what
      # follows it is its target, unless it duplicates a descriptor (>&2).
      if [[ $started && ! ( $word == +([0-9]) && ${line:start:i-start} == "$word" ) ]]; then
        [[ $target ]] || _pelk_words+=("$word")
      fi
      while [[ ${line:i+1:1} == [\<\>\&\|] ]]; do ((i += 1)); done
      word='' started='' target=1
      if [[ ${line:i:1} == '&' && ${line:i+1:1} == [0-9-] ]]; then
        while [[ ${line:i+1:1} == [0-9-] ]]; do ((i += 1)); done
        target=
      fi
      start=$((i + 1))
    else
      word+=$c started=1
    fi
  done
  _pelk_cur=${line:start}
  [[ ! $target ]]
}

# What pelk makes of the word at the cursor, `cur` (as typed), after the
# words given: true when that settles it (no file name wanted, a switch, a
# word left to bash's own completion), false when file names follow.
_pelk_settled() {
  local cur=$1 plain=${1//[\'\"\\]/}
  shift
  _pelk_before_file "$@" || { _pelk_nothing; return 0; }
  [[ ${plain,,} == @(/|-|--)@(first|last|mid):* ]] && { _pelk_nothing; return 0; }
  if [[ $plain == -* ]]; then
    _pelk_switches "$cur"
    ((${#COMPREPLY[@]})) || _pelk_nothing
    return 0
  fi
  # Variables and "~user" are bash's own (-o bashdefault), but where it
  # would quote a name wrongly.
  if _pelk_expands "$cur"; then
    _pelk_misquoted "$cur" || _pelk_default
    return 0
  fi
  return 1
}

# Without bash-completion: switches here, file names left to readline.
_pelk_plain() {
  local _pelk_words _pelk_cur
  _pelk_read_line || { _pelk_default; return 0; }
  local cur=$_pelk_cur plain=${_pelk_cur//[\'\"\\]/}
  _pelk_settled "$cur" "${_pelk_words[@]:1}" && return 0
  # Readline's file names, but where it goes wrong for pelk: a word with a
  # ":" or "=" at which it breaks the word (it would complete only what
  # follows), and a "~/" word among whose names it would quote one wrongly.
  if [[ $cur == *:* && $COMP_WORDBREAKS == *:* || $cur == *=* && $COMP_WORDBREAKS == *=* ||
        $plain == /* ]]; then
    local path
    while IFS= read -r path; do
      COMPREPLY+=("$path")
    done < <(compgen -f -- "$plain")
    ((${#COMPREPLY[@]})) && compopt -o filenames 2>/dev/null
    _pelk_drop_pieces "$plain"
    _pelk_after_break "$cur"
    _pelk_mark_folder
  elif [[ $plain != \~/* ]] || ! _pelk_misquoted "$cur"; then
    _pelk_default
  fi
  [[ $plain == /* ]] && _pelk_switches "$cur"
  return 0
}

_pelk() {
  # shellcheck disable=SC2034  # bash-completion's initialisation sets them all
  local cur prev words cword comp_args
  COMPREPLY=()
  # A word is not broken at "=" or ":" here (eq=al.bin is one name);
  # readline still replaces only what follows the last of them.
  if declare -F _comp_initialize >/dev/null; then
    _comp_initialize -n =: -- "$@" || { _pelk_default; return 0; }
  elif declare -F _init_completion >/dev/null; then
    _init_completion -n =: || { _pelk_default; return 0; }
  else
    _pelk_plain
    return 0
  fi
  _pelk_settled "$cur" "${words[@]:1:cword-1}" && return 0
  local plain=${cur//[\'\"\\]/}
  if declare -F _comp_compgen_filedir >/dev/null; then
    _comp_compgen -a filedir
  else
    _filedir
  fi
  _pelk_drop_pieces "$plain"
  _pelk_after_break "$cur"
  _pelk_tilde "$cur"
  _pelk_mark_folder
  [[ $plain == /* ]] && _pelk_switches "$cur"
  return 0
}
complete -F _pelk pelk
