# Completion of palindra-cli's commands, file type names and options.
_palindra_cli() {
    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]}
    local commands="list insert extract export import gump-to-bmp bmp-to-gump anim-to-png png-to-anim compare add-file
                    remove set-flags apply bake verify diff info types sound-to-wav package make-samples status prune"
    local types="map statics art anim sound texmaps gumps multis skills tiledata animdata hues files"
    # The command is the first word that is not an option; options may stand anywhere after it.
    local command="" position=0 i word ended=""
    for ((i = 1; i < COMP_CWORD; i++)); do
        word=${COMP_WORDS[i]}
        if [ -z "$ended" ] && [ "$word" = "--" ]; then
            ended=1
        elif [ -z "$ended" ] && [[ "$word" == -* ]]; then
            :
        elif [ -z "$ended" ] && [[ "$word" =~ ^(--base|--files|--blocks|--client-verdata)$ ]]; then
            :
        elif [ -z "$command" ]; then
            command=$word
        else
            position=$((position + 1))
        fi
        # An option's value is not an argument.
        if [ -z "$ended" ] && [[ "${COMP_WORDS[i - 1]}" =~ ^(--base|--files|--blocks|--client-verdata)$ ]] && [ "$word" != "--" ]; then
            [ "$command" = "$word" ] && command="" || position=$((position - 1))
        fi
    done
    case "$prev" in
    --files | --blocks) return ;;
    --client-verdata)
        mapfile -t COMPREPLY < <(compgen -W "apply ignore" -- "$cur")
        return
        ;;
    --base)
        mapfile -t COMPREPLY < <(compgen -f -- "$cur")
        return
        ;;
    esac
    if [ -z "$command" ]; then
        mapfile -t COMPREPLY < <(compgen -W "$commands --help --version --json" -- "$cur")
        return
    fi
    if [ -z "$ended" ] && [[ "$cur" == -* ]]; then
        local options="--json --help --"
        case "$command" in
        import) options="$options --files --blocks --skip-absent" ;;
        export | verify) options="$options --base" ;;
        status | prune) options="$options --client-verdata" ;;
        bake) options="$options --client-verdata --compact" ;;
        esac
        mapfile -t COMPREPLY < <(compgen -W "$options" -- "$cur")
        return
    fi
    # The argument after the patch: a file type, or what add-file carries.
    if [ "$position" -eq 1 ]; then
        case "$command" in
        insert | extract | import | compare | remove | set-flags)
            local extra=""
            [ "$command" = import ] && extra="uop verdata"
            mapfile -t COMPREPLY < <(compgen -W "$types $extra" -- "$cur")
            return
            ;;
        add-file)
            mapfile -t COMPREPLY < <(compgen -W "client readme map" -- "$cur")
            return
            ;;
        status | prune)
            mapfile -t COMPREPLY < <(compgen -d -- "$cur")
            return
            ;;
        esac
    fi
    mapfile -t COMPREPLY < <(compgen -f -- "$cur")
}
complete -o filenames -F _palindra_cli palindra-cli
