# bash completion for zent-cli
_zent_cli() {
    local cur prev
    cur=${COMP_WORDS[COMP_CWORD]}
    prev=${COMP_WORDS[COMP_CWORD-1]}
    case $prev in
        -o | --output-dir)
            mapfile -t COMPREPLY < <(compgen -d -- "$cur")
            return
            ;;
        -j | --jobs)
            mapfile -t COMPREPLY < <(compgen -W "$(seq 1 "$(nproc 2>/dev/null || echo 4)")" -- "$cur")
            return
            ;;
        --existing)
            mapfile -t COMPREPLY < <(compgen -W "overwrite skip rename" -- "$cur")
            return
            ;;
    esac
    if [[ $cur == -* ]]; then
        mapfile -t COMPREPLY < <(compgen -W "-o --output-dir --mkdir -j --jobs -r --recursive
            -0 --null --existing -q --quiet --json -h --help --version -" -- "$cur")
        return
    fi
    compopt -o filenames
    mapfile -t COMPREPLY < <(compgen -d -- "$cur"; compgen -f -X '!*.@([mM][pP]3|[oO][gG][gG])' -- "$cur")
}
complete -F _zent_cli zent-cli
