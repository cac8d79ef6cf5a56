#!/bin/sh
# Loads each shipped character with the native (portable) build and with the
# Windows build under wine64, and checks that every picture holds the same
# pixels and the palette the same colours.
# usage: compare-cel-digests.sh NATIVE_CEL_DIGEST WINDOWS_CEL_DIGEST.exe MODULE...
set -eu
absolute() { echo "$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"; }
native=$(absolute "$1")
windows=$(absolute "$2")
shift 2
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for module in "$@"; do
    if [ ! -f "$module" ]; then
        echo "FAIL: $module is missing (the native build makes it: run scripts/test or scripts/run)" >&2
        exit 1
    fi
    folder=$(dirname "$module")
    name=$(basename "$module")
    (cd "$folder" && "$native" "$name") >"$work/native.txt"
    (cd "$folder" && "$root/scripts/wine-exec" "$windows" "$name") >"$work/windows.txt" 2>"$work/windows.err" ||
        { cat "$work/windows.err" >&2; exit 1; }
    # Wine's console hands lines over with CR LF.
    tr -d '\r' <"$work/windows.txt" >"$work/windows-lf.txt"
    if ! diff -u "$work/native.txt" "$work/windows-lf.txt"; then
        echo "FAIL: $module loads differently on Windows" >&2
        exit 1
    fi
    echo "ok: $module: $(wc -l <"$work/native.txt") pictures and palette identical"
done
