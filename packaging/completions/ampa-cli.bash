# bash completion for ampa-cli: commands, options, developer cache ids, project folders.

_ampa_cli_words()
{
    # The program being completed, so that a copy outside PATH answers for itself.
    "${COMP_WORDS[0]}" complete "$1" 2> /dev/null
}

# Offers the lines of standard input that start with the current word.
_ampa_cli_offer()
{
    local word
    while IFS= read -r word; do
        [[ $word == "$cur"* ]] || continue
        # ':' ends a word for readline: offer only what follows the last one typed.
        if [[ $cur == *:* && $COMP_WORDBREAKS == *:* ]]; then
            word=${word#"${cur%:*}:"}
        fi
        COMPREPLY+=("$word")
    done
}

_ampa_cli()
{
    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]}
    local i words=()
    COMPREPLY=()
    # The words typed so far that are neither options nor the values that follow one.
    for ((i = 1; i < COMP_CWORD; i++)); do
        [[ ${COMP_WORDS[i]} == -* || ${COMP_WORDS[i - 1]} =~ ^--(older|depth|sort|since|export|import)$ ]] && continue
        words+=("${COMP_WORDS[i]}")
    done
    local command=${words[0]-} sub=${words[1]-}
    case $prev in
        --older | --depth) return 0 ;;
        --sort)
            mapfile -t COMPREPLY < <(compgen -W 'size name count age grown' -- "$cur")
            return 0
            ;;
        --since)
            mapfile -t COMPREPLY < <(compgen -W 'last' -- "$cur")
            return 0
            ;;
        --export | --import)
            compopt -o filenames 2> /dev/null
            mapfile -t COMPREPLY < <(compgen -f -- "$cur")
            return 0
            ;;
    esac

    local options=''
    case $command in
        '') options='--help --version' ;;
        status) options='--verbose --json' ;;
        clean) options='--yes --dry-run --json' ;;
        space) options='--depth --json --export --import --apparent --sort --since' ;;
        dev)
            case $sub in
                '') options='--json' ;;
                clean) options='--dry-run --yes --json' ;;
            esac
            ;;
        projects)
            case $sub in
                '') options='--older --json' ;;
                clean) options='--older --dry-run --yes --json' ;;
            esac
            ;;
    esac
    if [[ $cur == -* ]]; then
        mapfile -t COMPREPLY < <(compgen -W "$options" -- "$cur")
        return 0
    fi

    case $command in
        '')
            mapfile -t COMPREPLY < <(compgen -W 'status clean log dev projects schedule space' -- "$cur")
            ;;
        dev)
            case $sub in
                '') mapfile -t COMPREPLY < <(compgen -W 'clean keep release' -- "$cur") ;;
                clean) _ampa_cli_offer < <(_ampa_cli_words dev) ;;
                keep) ((${#words[@]} == 2)) && _ampa_cli_offer < <(_ampa_cli_words dev) ;;
                release) ((${#words[@]} == 2)) && _ampa_cli_offer < <(_ampa_cli_words dev-kept) ;;
            esac
            ;;
        projects)
            case $sub in
                '') mapfile -t COMPREPLY < <(compgen -W 'clean keep release' -- "$cur") ;;
                clean | keep)
                    compopt -o filenames 2> /dev/null
                    mapfile -t COMPREPLY < <(compgen -d -- "$cur")
                    ;;
                release)
                    _ampa_cli_offer < <(_ampa_cli_words projects-kept)
                    compopt -o filenames 2> /dev/null
                    local folders
                    mapfile -t folders < <(compgen -d -- "$cur")
                    COMPREPLY+=("${folders[@]}")
                    ;;
            esac
            ;;
        space)
            if ((${#words[@]} == 1)); then
                compopt -o filenames 2> /dev/null
                mapfile -t COMPREPLY < <(compgen -d -- "$cur")
            fi
            ;;
        schedule)
            ((${#words[@]} == 1)) && mapfile -t COMPREPLY < <(compgen -W 'off daily weekly monthly' -- "$cur")
            ;;
    esac
    return 0
}

complete -F _ampa_cli ampa-cli
