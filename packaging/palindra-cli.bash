# Completion of palindra-cli's commands, file type names and options.
_palindra_cli() {
    local cur=${COMP_WORDS[COMP_CWORD]}
    local commands="list insert extract export import gump-to-bmp bmp-to-gump compare add-file remove set-flags
                    apply verify diff info types sound-to-wav package make-samples"
    local types="map statics art anim sound texmaps gumps multis skills tiledata animdata hues files"
    if [ "$COMP_CWORD" -eq 1 ]; then
        mapfile -t COMPREPLY < <(compgen -W "$commands --help --version" -- "$cur")
        return
    fi
    case "$cur" in
    -*)
        mapfile -t COMPREPLY < <(compgen -W "--json --help --base --files --blocks" -- "$cur")
        return
        ;;
    esac
    case "${COMP_WORDS[1]}" in
    insert | extract | import | compare | remove | set-flags)
        if [ "$COMP_CWORD" -eq 3 ]; then
            local extra=""
            [ "${COMP_WORDS[1]}" = import ] && extra="uop verdata"
            mapfile -t COMPREPLY < <(compgen -W "$types $extra" -- "$cur")
            return
        fi
        ;;
    add-file)
        if [ "$COMP_CWORD" -eq 3 ]; then
            mapfile -t COMPREPLY < <(compgen -W "client readme map" -- "$cur")
            return
        fi
        ;;
    esac
    mapfile -t COMPREPLY < <(compgen -f -- "$cur")
}
complete -o filenames -F _palindra_cli palindra-cli
