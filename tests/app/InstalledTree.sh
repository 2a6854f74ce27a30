#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks what a desktop finds there.
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
    share/doc/zent/README.md
)
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

desktop-file-validate "$prefix/share/applications/$id.desktop" || status=1
appstreamcli validate --no-net --pedantic "$prefix/share/metainfo/$id.metainfo.xml" || status=1
exit $status
