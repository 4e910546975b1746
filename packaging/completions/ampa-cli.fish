# fish completion for ampa-cli: commands, options, developer cache ids, project folders.

# The words typed after the program that are neither options nor the values that follow one.
function __ampa_cli_typed
    set -l typed (commandline -opc)
    set -l previous ''
    for word in $typed[2..-1]
        if not string match -q -- '-*' $word; and not contains -- "$previous" --older --depth --sort --since --export --import
            echo $word
        end
        set previous $word
    end
end

# True when the words typed so far are exactly the arguments.
function __ampa_cli_at
    set -l typed (__ampa_cli_typed)
    test "$typed" = "$argv"
end

# True when the words typed so far begin with the arguments.
function __ampa_cli_in
    set -l typed (__ampa_cli_typed)
    test (count $typed) -ge (count $argv); and test "$typed[1..(count $argv)]" = "$argv"
end

# What `ampa-cli complete` lists for the argument, asked of the program being completed.
function __ampa_cli_listed
    set -l program (commandline -opc)[1]
    $program complete $argv[1] 2>/dev/null
end

complete -c ampa-cli -f
complete -c ampa-cli -n '__ampa_cli_at' -s h -l help -d 'The usage'
complete -c ampa-cli -n '__ampa_cli_at' -s v -l version -d 'The version'
complete -c ampa-cli -n '__ampa_cli_at' -a status -d 'Free space, caches and the largest items'
complete -c ampa-cli -n '__ampa_cli_at' -a clean -d 'The quick clean'
complete -c ampa-cli -n '__ampa_cli_at' -a log -d 'The activity log'
complete -c ampa-cli -n '__ampa_cli_at' -a dev -d 'Developer caches'
complete -c ampa-cli -n '__ampa_cli_at' -a projects -d 'Projects with build output'
complete -c ampa-cli -n '__ampa_cli_at' -a schedule -d 'The quick clean on a timer'
complete -c ampa-cli -n '__ampa_cli_at' -a space -d 'What fills a folder'

complete -c ampa-cli -n '__ampa_cli_at status' -l verbose -d 'The folders of each cache'
complete -c ampa-cli -n '__ampa_cli_at status' -l json -d 'One JSON object'
complete -c ampa-cli -n '__ampa_cli_at clean' -l yes -d 'Clean without asking'
complete -c ampa-cli -n '__ampa_cli_at clean' -l dry-run -d 'Show what would be removed'
complete -c ampa-cli -n '__ampa_cli_at clean' -l json -d 'One JSON object'

complete -c ampa-cli -n '__ampa_cli_at dev' -a 'clean keep release'
complete -c ampa-cli -n '__ampa_cli_at dev' -l json -d 'One JSON object'
complete -c ampa-cli -n '__ampa_cli_in dev clean' -a '(__ampa_cli_listed dev)'
complete -c ampa-cli -n '__ampa_cli_in dev clean' -l dry-run -d 'Show what would be done'
complete -c ampa-cli -n '__ampa_cli_in dev clean' -l yes -d 'Clean without asking'
complete -c ampa-cli -n '__ampa_cli_in dev clean' -l json -d 'One JSON object'
complete -c ampa-cli -n '__ampa_cli_at dev keep' -a '(__ampa_cli_listed dev)'
complete -c ampa-cli -n '__ampa_cli_at dev release' -a '(__ampa_cli_listed dev-kept)'

complete -c ampa-cli -n '__ampa_cli_at projects' -a 'clean keep release'
complete -c ampa-cli -n '__ampa_cli_at projects' -l older -x -d 'Only projects idle that many days'
complete -c ampa-cli -n '__ampa_cli_at projects' -l json -d 'One JSON object'
complete -c ampa-cli -n '__ampa_cli_in projects clean' -a '(__fish_complete_directories)'
complete -c ampa-cli -n '__ampa_cli_in projects clean' -l older -x -d 'Only projects idle that many days'
complete -c ampa-cli -n '__ampa_cli_in projects clean' -l dry-run -d 'Show what would be removed'
complete -c ampa-cli -n '__ampa_cli_in projects clean' -l yes -d 'Clean without asking'
complete -c ampa-cli -n '__ampa_cli_in projects clean' -l json -d 'One JSON object'
complete -c ampa-cli -n '__ampa_cli_at projects keep' -a '(__fish_complete_directories)'
complete -c ampa-cli -n '__ampa_cli_at projects release' -a '(__ampa_cli_listed projects-kept; __fish_complete_directories)'

complete -c ampa-cli -n '__ampa_cli_at schedule' -a 'off daily weekly monthly'

complete -c ampa-cli -n '__ampa_cli_at space' -a '(__fish_complete_directories)'
complete -c ampa-cli -n '__ampa_cli_in space' -l depth -x -d 'Levels of folders to list'
complete -c ampa-cli -n '__ampa_cli_in space' -l json -d 'One JSON object'
complete -c ampa-cli -n '__ampa_cli_in space' -l export -r -F -d 'Save the scan for ncdu -f'
complete -c ampa-cli -n '__ampa_cli_in space' -l import -r -F -d 'Show a scan ncdu saved'
complete -c ampa-cli -n '__ampa_cli_in space' -l apparent -d 'Sizes as files hold them'
complete -c ampa-cli -n '__ampa_cli_in space' -l sort -x -a 'size name count age grown' -d 'Order of folders'
complete -c ampa-cli -n '__ampa_cli_in space' -l since -x -a 'last' -d 'Growth since a walk before (last, or days ago)'
