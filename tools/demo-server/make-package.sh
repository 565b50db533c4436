#!/bin/bash
# Builds a server package as the download service ships it: a zip with
#   TarvikService.app/Contents/MacOS/Tarvik, TarvikService.app/Contents/MacOS/ffmpeg7/lib/
#   and open_browser_macos.sh.
#
# Usage: make-package.sh [--entries N [--frameworks F]] <Tarvik executable> <output zip> [padding MiB]
#
# With a padding size the package also carries TarvikService.app/Contents/Resources/padding.bin,
# that many MiB of random (incompressible) bytes, for measuring downloads of a realistic size:
#   tools/demo-server/make-package.sh build/demo/package/TarvikService.app/Contents/MacOS/Tarvik \
#       /tmp/tarvik-100mb.zip 100
#
# With --entries the package is shaped like a real server bundle of exactly N entries (folders
# count): F frameworks (60 unless given) in Contents/Frameworks, each with Versions/A,
# Versions/Current -> A and two links at its top, and a web interface of small files filling the
# rest in Contents/Resources/www. 23000 entries make about 19 MiB with 180 links:
#   tools/demo-server/make-package.sh --entries 23000 \
#       build/demo/package/TarvikService.app/Contents/MacOS/Tarvik /tmp/tarvik-real.zip
set -euo pipefail

usage() {
    echo "usage: $0 [--entries N [--frameworks F]] <Tarvik executable> <output zip> [padding MiB]" >&2
    exit 2
}
whole() {
    [[ $2 =~ ^[0-9]+$ ]] || {
        echo "$0: $1 must be a whole number, not '$2'" >&2
        exit 2
    }
}

entries=0
frameworks=60
while [ $# -gt 0 ] && [[ $1 == --* ]]; do
    [ $# -ge 2 ] || usage
    case $1 in
    --entries) entries=$2 ;;
    --frameworks) frameworks=$2 ;;
    *) usage ;;
    esac
    whole "$1" "$2"
    shift 2
done
if [ $# -lt 2 ] || [ $# -gt 3 ]; then
    usage
fi
server=$1
output=$2
padding=${3:-0}
whole "padding (MiB)" "$padding"
if [ ! -f "$server" ]; then
    echo "$0: no server executable at $server" >&2
    exit 1
fi

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
mkdir -p "$(dirname "$output")"
output=$(cd "$(dirname "$output")" && pwd)/$(basename "$output")

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT

contents="$stage/TarvikService.app/Contents"
macos="$contents/MacOS"
mkdir -p "$macos/ffmpeg7/lib"
cp "$server" "$macos/Tarvik"
chmod 755 "$macos/Tarvik"
echo "The server's media libraries go here." >"$macos/ffmpeg7/lib/placeholder.txt"
cp "$here/open_browser_macos.sh" "$stage/open_browser_macos.sh"
chmod 755 "$stage/open_browser_macos.sh"
if [ "$padding" -gt 0 ]; then
    mkdir -p "$contents/Resources"
    head -c $((padding * 1048576)) /dev/urandom >"$contents/Resources/padding.bin"
fi

if [ "$entries" -gt 0 ]; then
    # Random text: it packs about as well as the scripts and styles of a web interface.
    exec 3< <(base64 -w 0 /dev/urandom)
    for ((n = 1; n <= frameworks; n++)); do
        name=$(printf 'Media%02d' "$n")
        framework="$contents/Frameworks/$name.framework"
        mkdir -p "$framework/Versions/A/Resources"
        head -c 4096 <&3 >"$framework/Versions/A/$name"
        printf '<plist version="1.0"><dict><key>CFBundleName</key><string>%s</string></dict></plist>\n' "$name" \
            >"$framework/Versions/A/Resources/Info.plist"
        ln -s A "$framework/Versions/Current"
        ln -s "Versions/Current/$name" "$framework/$name"
        ln -s Versions/Current/Resources "$framework/Resources"
    done
    www="$contents/Resources/www"
    mkdir -p "$www"
    left=$((entries - $(cd "$stage" && find TarvikService.app open_browser_macos.sh | wc -l)))
    if [ "$left" -lt 0 ]; then
        echo "$0: $entries entries cannot hold $frameworks frameworks" >&2
        exit 2
    fi
    # Folders of up to 100 files; each folder is an entry too.
    for ((folder = 0; left > 0; folder++)); do
        dir="$www/$(printf 'module%04d' "$folder")"
        mkdir "$dir"
        files=$((left - 1 < 100 ? left - 1 : 100))
        left=$((left - 1 - files))
        if [ "$files" -gt 0 ]; then
            size=$((384 + folder % 8 * 128))
            head -c $((files * size)) <&3 | split -b "$size" -d -a 3 --additional-suffix=.js - "$dir/part-"
        fi
    done
    exec 3<&-
fi

# Written next to the target and renamed, so a reader never sees half a package. Links are stored
# as links, as in the server's own bundles.
partial="$output.partial.zip"
rm -f "$partial"
(cd "$stage" && zip -q -r -y -X -n .bin "$partial" TarvikService.app open_browser_macos.sh)
mv -f "$partial" "$output"
