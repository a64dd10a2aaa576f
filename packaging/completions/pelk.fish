# fish completion for pelk: switches in the form the user started typing
# ("/", "-" or "--"), then file names.  The file name is the last argument,
# so nothing is offered after it.

function __pelk_no_file_yet
    for word in (commandline -opc)[2..-1]
        switch $word
            case '/*/*'
                return 1
            case '/*' '-*'
            case '*'
                return 1
        end
    end
    return 0
end

function __pelk_switches
    set -l marker /
    switch (commandline -ct)
        case '--*'
            set marker --
        case '-*'
            set marker -
    end
    for name in first: last: mid: hex ascii int help '?'
        echo $marker$name
    end
end

# The names that start with a word holding ":", a folder (or a link to one)
# with "/" so that no space follows it.
function __pelk_paths_with_a_colon
    for path in (commandline -ct)*
        if test -d $path
            echo $path/
        else
            echo $path
        end
    end
end

complete -c pelk -f
complete -c pelk -n __pelk_no_file_yet -a '(__pelk_switches)'
# fish's own file completion takes what follows a ":" for a new name
# ("a:" offers "a:README.md"); a name with a colon gets only names that exist.
complete -c pelk -n '__pelk_no_file_yet; and not string match -q -- "-*" (commandline -ct); and not string match -q -- "*:*" (commandline -ct)' -F
complete -c pelk -n '__pelk_no_file_yet; and not string match -q -- "-*" (commandline -ct); and string match -q -- "*:*" (commandline -ct)' -a '(__pelk_paths_with_a_colon)'
