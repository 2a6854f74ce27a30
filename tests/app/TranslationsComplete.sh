#!/usr/bin/env bash
# Each .ts file translates every text of the window and keeps none that the window no longer
# has. lupdate brings a copy of the file up to date with the sources; what it leaves unfinished
# (new or never translated) or vanished (no longer in the sources) is named with its file.
#   TranslationsComplete.sh LUPDATE LRELEASE INCLUDE_DIR [--unfinish-one] TS_FILE... -- SOURCE...
# With --unfinish-one the first translation of each copy is marked unfinished, and the check
# passes only when it fails naming that file and message.
set -euo pipefail
lupdate=$1
lrelease=$2
include_dir=$3
shift 3
unfinish_one=false
if [ "$1" = --unfinish-one ]; then
    unfinish_one=true
    shift
fi
ts_files=()
while [ "$1" != -- ]; do
    ts_files+=("$1")
    shift
done
shift
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

status=0
expected=()
for ts in "${ts_files[@]}"; do
    name=$(basename "$ts")
    copy=$work/$name
    cp "$ts" "$copy"
    if $unfinish_one; then
        sed -i '0,/<translation>/s//<translation type="unfinished">/' "$copy"
        expected+=("$name: unfinished: $(grep -m1 -B1 'type="unfinished"' "$copy" |
            sed -n 's/.*<source>\(.*\)<\/source>.*/\1/p' | sed 's/&quot;/"/g')")
    fi
    if ! "$lupdate" -locations none -I "$include_dir" "$@" -ts "$copy" >"$work/lupdate.txt" 2>&1 ||
        ! "$lrelease" "$copy" -qm "$work/out.qm" >"$work/lrelease.txt" 2>&1; then
        cat "$work/lupdate.txt" "$work/lrelease.txt"
        status=1
        continue
    fi
    # One record per message: its state and its source text, with the XML entities undone.
    faults=$(awk -v file="$name" 'BEGIN { RS = "</message>" }
        /<source>/ {
            state = ""
            if ($0 ~ /type="unfinished"/) state = "unfinished"
            else if ($0 ~ /type="(vanished|obsolete)"/) state = "obsolete"
            if (state == "") next
            source = $0
            sub(/.*<source>/, "", source)
            sub(/<\/source>.*/, "", source)
            gsub(/&quot;/, "\"", source); gsub(/&lt;/, "<", source)
            gsub(/&gt;/, ">", source); gsub(/&apos;/, "'\''", source); gsub(/&amp;/, "\\&", source)
            print file ": " state ": " source
        }' "$copy")
    if [ -n "$faults" ]; then
        echo "$faults" | tee -a "$work/report.txt"
        sed 's/^ *//' "$work/lupdate.txt" "$work/lrelease.txt" | grep -E '^(Found|Removed|Kept|Generated|Ignored)' |
            sed "s/^/$name: /"
        status=1
    fi
done
if $unfinish_one; then
    [ $status -eq 1 ] || { echo "the check passed with an unfinished message"; exit 1; }
    for line in "${expected[@]}"; do
        grep -qxF "$line" "$work/report.txt" || { echo "not named: $line"; exit 1; }
    done
    exit 0
fi
exit $status
