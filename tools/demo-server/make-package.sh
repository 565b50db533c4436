#!/bin/bash
# Builds a server package as the download service ships it: a zip with
#   TarvikService.app/Contents/MacOS/Tarvik, TarvikService.app/Contents/MacOS/ffmpeg7/lib/
#   and open_browser_macos.sh.
#
# Usage: make-package.sh <Tarvik executable> <output zip> [padding MiB]
#
# With a padding size the package also carries TarvikService.app/Contents/Resources/padding.bin,
# that many MiB of random (incompressible) bytes, for measuring downloads of a realistic size:
#   tools/demo-server/make-package.sh build/demo/package/TarvikService.app/Contents/MacOS/Tarvik \
#       /tmp/tarvik-100mb.zip 100
set -euo pipefail

if [ $# -lt 2 ] || [ $# -gt 3 ]; then
    echo "usage: $0 <Tarvik executable> <output zip> [padding MiB]" >&2
    exit 2
fi
server=$1
output=$2
padding=${3:-0}
if ! [[ $padding =~ ^[0-9]+$ ]]; then
    echo "$0: padding must be a whole number of MiB, not '$padding'" >&2
    exit 2
fi
if [ ! -f "$server" ]; then
    echo "$0: no server executable at $server" >&2
    exit 1
fi

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
mkdir -p "$(dirname "$output")"
output=$(cd "$(dirname "$output")" && pwd)/$(basename "$output")

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT

macos="$stage/TarvikService.app/Contents/MacOS"
mkdir -p "$macos/ffmpeg7/lib"
cp "$server" "$macos/Tarvik"
chmod 755 "$macos/Tarvik"
echo "The server's media libraries go here." >"$macos/ffmpeg7/lib/placeholder.txt"
cp "$here/open_browser_macos.sh" "$stage/open_browser_macos.sh"
chmod 755 "$stage/open_browser_macos.sh"
if [ "$padding" -gt 0 ]; then
    mkdir -p "$stage/TarvikService.app/Contents/Resources"
    head -c $((padding * 1048576)) /dev/urandom >"$stage/TarvikService.app/Contents/Resources/padding.bin"
fi

# Written next to the target and renamed, so a reader never sees half a package.
partial="$output.partial.zip"
rm -f "$partial"
(cd "$stage" && zip -q -r -X -n .bin "$partial" TarvikService.app open_browser_macos.sh)
mv -f "$partial" "$output"
