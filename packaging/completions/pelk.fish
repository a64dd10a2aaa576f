# fish completion for pelk: switches in the form the user started typing
# ("/", "-" or "--", in any case), then file names.  The file name is the
# last argument, so nothing is offered after it.
#
# The script decides only what is pelk's own: whether a file name is still
# wanted, and which switches fit the word.  File names are fish's own file
# completion, with its quoting, "~", variables, wildcards and all.  A word
# that starts with "-" is a switch to pelk, so it is never completed to a
# file name.

# True while no word before the cursor is the file name: each, fish's
# quoting taken away, is a switch (it starts with "/" or "-" and is no
# absolute path, which holds a second "/").  Redirections ("> f", ">>f",
# "2>&1", "< f") and their targets are no words of pelk's.
function __pelk_no_file_yet
    set -l words (string match -ra -- '(?:[^\s\'"\\\\]|\\\\.|\'[^\']*\'?|"(?:[^"\\\\]|\\\\.)*"?)+' (commandline -pc))
    set -e words[1]
    # The word being typed, if any, is not before the cursor.
    string match -qr -- '\S$' (commandline -pc); and set -e words[-1]
    set -l target 0
    for word in $words
        if test $target = 1
            set target 0
        else if string match -qr -- '^([0-9]*|&)([<>]|>>)[?|]?(&[0-9-]+)?$' $word
            # A redirection alone: its target is the next word.
            string match -qr -- '&[0-9-]+$' $word; or set target 1
        else if not string match -qr -- '^([0-9]*|&)[<>]' $word
            set word (string unescape -- $word)
            string match -q -- '/*/*' $word; and return 1
            string match -qr -- '^[-/]' $word; or return 1
        end
    end
    return 0
end

# The word being typed, fish's quoting taken away.
function __pelk_typed
    string unescape -- (commandline -ct)
end

# Switches only for a word that starts like one, and only those it begins
# (in any case), so that fish matches no switch to a word that is none,
# "-d" to "-mid:" say; a range switch's colon is followed by its number,
# not by a completion.
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
    set -l length (string length -- $typed)
    for name in first: last: mid: hex ascii int help '?'
        test (string lower -- (string sub -l $length -- $marker$name)) = (string lower -- $typed)
        and echo $marker$name
    end
end

# File names while one is wanted, but never for a word that starts with "-",
# nor after a range switch's colon, which its number follows.
function __pelk_files_wanted
    __pelk_no_file_yet; or return 1
    set -l typed (__pelk_typed)
    not string match -q -- '-*' $typed
    and not string match -q -r -i -- '^/(first|last|mid):' $typed
end

complete -c pelk -f
complete -c pelk -n __pelk_no_file_yet -a '(__pelk_switches)'
complete -c pelk -n __pelk_files_wanted -F
