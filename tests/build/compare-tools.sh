#!/bin/sh
# Runs the Windows authoring tools under wine64 beside the native ones and
# checks that they give the same results: pkm.exe builds a byte-identical
# module from the authoring folder, reads it back the same (list, check, an
# entry's raw bytes, unpack to the same folder of PNG files, the same contact
# sheet), checks the folder itself the same and refuses to write a module
# over one of the folder's files, and zippit-sim.exe prints the same frame
# lines and writes the same GIF. Standard output of both tools is binary, so lines are compared as they
# are, without removing carriage returns.
# usage: compare-tools.sh NATIVE_BIN_DIR WINDOWS_TOOLS_DIR CHARACTER_FOLDER NATIVE_MODULE
set -eu
absolute() { echo "$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"; }
native_pkm=$(absolute "$1/pkm")
native_sim=$(absolute "$1/zippit-sim")
windows_pkm=$(absolute "$2/pkm.exe")
windows_sim=$(absolute "$2/zippit-sim.exe")
folder=$(absolute "$3")
module=$(absolute "$4")
root=$(cd "$(dirname "$0")/../.." && pwd)
for file in "$native_pkm" "$native_sim" "$module"; do
    [ -f "$file" ] || { echo "FAIL: $file is missing (the native build makes it: run scripts/test or scripts/run)" >&2; exit 1; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
fail() { echo "FAIL: $*" >&2; exit 1; }
# A Windows tool run in the work folder; its messages go to windows.err.
windows() { "$root/scripts/wine-exec" "$@" 2>windows.err || { cat windows.err >&2; fail "$(basename "$1") $2 failed"; }; }
same() {  # WHAT NATIVE_FILE WINDOWS_FILE
    cmp -s "$2" "$3" || { diff -u "$2" "$3" | head -20 >&2 || true; fail "$1 differs on Windows"; }
}

# The module, built from the same folder.
windows "$windows_pkm" build "Z:$folder" -o Zippy.Pkm
same "the module built by pkm.exe" "$module" Zippy.Pkm
cp "$module" native.Pkm

# Reading it back.
"$native_pkm" list native.Pkm >native-list.txt
windows "$windows_pkm" list Zippy.Pkm >windows-list.txt
same "pkm list" native-list.txt windows-list.txt
"$native_pkm" check native.Pkm | sed 's/^native.Pkm/Zippy.Pkm/' >native-check.txt
windows "$windows_pkm" check Zippy.Pkm >windows-check.txt
same "pkm check" native-check.txt windows-check.txt
# The first entry holding a byte 0x0A, which a text-mode stream would turn into CR LF.
entry=""
for name in $(awk '{ print $1 }' native-list.txt); do
    if "$native_pkm" cat native.Pkm "$name" --raw | od -An -v -tx1 | grep -q ' 0a'; then entry=$name; break; fi
done
[ -n "$entry" ] || fail "no entry of $module holds a byte 0x0A"
"$native_pkm" cat native.Pkm "$entry" --raw >native-entry.bin
windows "$windows_pkm" cat Zippy.Pkm "$entry" --raw >windows-entry.bin
same "pkm cat $entry --raw" native-entry.bin windows-entry.bin
"$native_pkm" unpack native.Pkm native-folder
windows "$windows_pkm" unpack Zippy.Pkm windows-folder
diff -r native-folder windows-folder >&2 || fail "pkm unpack writes another folder on Windows"
"$native_pkm" sheet native.Pkm -o native-sheet.png
windows "$windows_pkm" sheet Zippy.Pkm -o windows-sheet.png
same "pkm sheet" native-sheet.png windows-sheet.png
"$native_pkm" check native-folder >native-check.txt
windows "$windows_pkm" check windows-folder >windows-check.txt
sed 's/^native-folder/windows-folder/' native-check.txt >native-check-renamed.txt
same "pkm check of a folder" native-check-renamed.txt windows-check.txt
if "$root/scripts/wine-exec" "$windows_pkm" build windows-folder -o windows-folder/IMAGES/../Info.txt 2>windows.err; then
    fail "pkm.exe build wrote its module over the folder's info.txt"
fi
cmp -s native-folder/info.txt windows-folder/info.txt || fail "pkm.exe build changed the folder's info.txt"

# The same run of the character, line for line and frame for frame.
"$native_sim" native.Pkm --frames 400 --seed 7 --gif native.gif >native-frames.txt
windows "$windows_sim" Zippy.Pkm --frames 400 --seed 7 --gif windows.gif >windows-frames.txt
same "zippit-sim's frame lines" native-frames.txt windows-frames.txt
same "zippit-sim's GIF" native.gif windows.gif
echo "ok: pkm.exe and zippit-sim.exe match the native tools ($(wc -l <native-list.txt) entries, $(wc -l <native-frames.txt) frames)"
