#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks what a desktop, a shell and man find
# there.
set -euo pipefail
cmake_command=$1
build_dir=$2
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT

"$cmake_command" --install "$build_dir" --prefix "$prefix" >/dev/null

id=org.example.zent.Zent
expected=(
    bin/zent
    share/applications/$id.desktop
    share/metainfo/$id.metainfo.xml
    share/icons/hicolor/scalable/apps/$id.svg
    bin/zent-cli
    share/doc/zent/README.md
    share/doc/zent/copyright
    share/doc/zent/changelog.gz
    share/bash-completion/completions/zent-cli
    share/zsh/vendor-completions/_zent-cli
    share/fish/vendor_completions.d/zent-cli.fish
)
# The manual pages are built where help2man is installed.
if command -v help2man >/dev/null; then
    expected+=(share/man/man1/zent.1.gz share/man/man1/zent-cli.1.gz)
fi
for size in 16 22 24 32 48 64 128 256; do
    expected+=(share/icons/hicolor/${size}x${size}/apps/$id.png)
done
status=0
for file in "${expected[@]}"; do
    if [ ! -s "$prefix/$file" ]; then
        echo "missing: $file"
        status=1
    fi
done
[ -x "$prefix/bin/zent" ] || { echo "bin/zent is not executable"; status=1; }
for size in 16 22 24 32 48 64 128 256; do
    file=$prefix/share/icons/hicolor/${size}x${size}/apps/$id.png
    [ -s "$file" ] || continue
    # PNG width and height: big-endian words at bytes 16 and 20.
    read -r width height < <(od -An -tu1 -j16 -N8 "$file" |
        awk '{ print $3 * 256 + $4, $7 * 256 + $8 }')
    if [ "$width" != "$size" ] || [ "$height" != "$size" ]; then
        echo "$file is ${width}x${height}"
        status=1
    fi
done

grep -q '^License: GPL-3.0-or-later' "$prefix/share/doc/zent/copyright" ||
    { echo "the copyright file names no licence"; status=1; }
page=$prefix/share/man/man1/zent-cli.1.gz
if [ -s "$page" ] && command -v man >/dev/null; then
    # Every option of --help is in the rendered page.
    rendered=$(MANWIDTH=100 man -l "$page" 2>/dev/null)
    for option in --output-dir --mkdir --jobs --recursive --null --existing --quiet --json --format \
        "EXIT STATUS" "FILES" "EXAMPLES"; do
        grep -q -- "$option" <<<"$rendered" || { echo "zent-cli(1) lacks $option"; status=1; }
    done
fi
page=$prefix/share/man/man1/zent.1.gz
if [ -s "$page" ] && command -v man >/dev/null; then
    rendered=$(MANWIDTH=100 man -l "$page" 2>/dev/null)
    # The one-line description opens DESCRIPTION; the sections a user looks for are there.
    grep -A1 -x 'DESCRIPTION' <<<"$rendered" | grep -Eq 'Converts +MP3' ||
        { echo "zent(1) does not open with its description"; status=1; }
    for section in KEYS HAND-OVER NOTIFICATION ENVIRONMENT "EXIT STATUS" LANG XDG_CONFIG_HOME \
        XDG_RUNTIME_DIR QT_QPA_PLATFORM --help-all; do
        grep -q -- "$section" <<<"$rendered" || { echo "zent(1) lacks $section"; status=1; }
    done
fi
for program in zent zent-cli; do
    page=$prefix/share/man/man1/$program.1.gz
    if [ -s "$page" ] && command -v man >/dev/null; then
        # The exit status is told once, in its section.
        count=$(MANWIDTH=100 man -l "$page" 2>/dev/null | grep -Eci 'exit +status' || true)
        [ "$count" = 1 ] || { echo "$program(1) tells its exit status $count times"; status=1; }
    fi
done
bash -n "$prefix/share/bash-completion/completions/zent-cli" || status=1

desktop-file-validate "$prefix/share/applications/$id.desktop" || status=1
appstreamcli validate --no-net --pedantic "$prefix/share/metainfo/$id.metainfo.xml" || status=1
exit $status
