# fish completion for pelk: switches in the form the user started typing
# ("/", "-" or "--", in any case), then file names.  The file name is the
# last argument, so nothing is offered after it.

# True while no word before the cursor is the file name: a switch, its
# quotes taken away, starts with "/" or "-" and is no absolute path (which
# holds a second "/").
function __pelk_no_file_yet
    for word in (commandline -opc)[2..-1]
        string match -q -- '/*/*' $word; and return 1
        string match -q -r -- '^[-/]' $word; or return 1
    end
    return 0
end

# The word being typed, as typed: quotes and backslashes still in it.
function __pelk_typed
    commandline -ct
end

# Switches only for a word that starts like one, unquoted; a range
# switch's colon is followed by its number, not by a completion.
function __pelk_switches
    set -l typed (__pelk_typed)
    string match -q -r -- '^[-/]' $typed; or return
    string match -q -r -i -- '^(/|-|--)(first|last|mid):' $typed; and return
    set -l marker /
    switch $typed
        case '--*'
            set marker --
        case '-*'
            set marker -
    end
    for name in first: last: mid: hex ascii int help '?'
        echo $marker$name
    end
end

# The names that start with the word typed, as fish reads it (its quotes
# and backslashes taken away, a leading "~/" the home folder), for fish to
# quote as the word is quoted.  A folder, or a link to one, ends in "/", so
# no space follows it.  A name holding a newline is left out: fish would
# read it as two.
function __pelk_paths
    set -l typed (__pelk_typed)
    string match -q -- '-*' $typed; and return
    set -l word (string unescape -- $typed)
    set -l real $word
    string match -q -- '~/*' $typed; and set real $HOME/(string sub -s 3 -- $word)
    set -l skip (math (string length -- $real) + 1)
    for path in "$real"*
        string match -q -- '*
*' $path; and continue
        set -l name $word(string sub -s $skip -- $path)
        test -d $path; and set name $name/
        printf '%s\n' $name
    end
end

complete -c pelk -f
complete -c pelk -n __pelk_no_file_yet -a '(__pelk_switches)'
complete -c pelk -n __pelk_no_file_yet -a '(__pelk_paths)'
