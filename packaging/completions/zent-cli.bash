# bash completion for zent-cli
_zent_cli() {
    local cur prev
    cur=${COMP_WORDS[COMP_CWORD]}
    prev=${COMP_WORDS[COMP_CWORD-1]}
    case $prev in
        -o | --output-dir | --relative-to)
            mapfile -t COMPREPLY < <(compgen -d -- "$cur")
            return
            ;;
        -j | --jobs)
            mapfile -t COMPREPLY < <(compgen -W "$(seq 1 "$(nproc 2>/dev/null || echo 4)")" -- "$cur")
            return
            ;;
        --report)
            compopt -o filenames
            mapfile -t COMPREPLY < <(compgen -f -- "$cur")
            return
            ;;
        --shard)
            mapfile -t COMPREPLY < <(compgen -W "auto 1/2 2/2 1/4 2/4 3/4 4/4" -- "$cur")
            return
            ;;
        --existing)
            mapfile -t COMPREPLY < <(compgen -W "overwrite skip rename" -- "$cur")
            return
            ;;
        --format)
            mapfile -t COMPREPLY < <(compgen -W "u8 s16 s24 s32 f32" -- "$cur")
            return
            ;;
        --rate)
            mapfile -t COMPREPLY < <(compgen -W "8000 16000 22050 32000 44100 48000 88200 96000" -- "$cur")
            return
            ;;
        --channels)
            mapfile -t COMPREPLY < <(compgen -W "1 2" -- "$cur")
            return
            ;;
    esac
    if [[ $cur == -* ]]; then
        mapfile -t COMPREPLY < <(compgen -W "-o --output-dir --mkdir -j --jobs -r --recursive
            -0 --null --existing -q --quiet --json --format --rate --channels --flat --tags
            --relative-to --shard --report
            -h --help --version -" -- "$cur")
        return
    fi
    compopt -o filenames
    mapfile -t COMPREPLY < <(compgen -d -- "$cur"; compgen -f -X '!*.@([mM][pP]3|[oO][gG][gG]|[oO][pP][uU][sS]|[fF][lL][aA][cC]|[oO][gG][aA])' -- "$cur")
}
complete -F _zent_cli zent-cli
