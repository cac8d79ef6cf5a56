#!/bin/sh
# Checks a ready setup folder: Setup.exe, UnInst.dat and every file that
# Setup.ini lists are there, Setup.ini names the product and the default
# character, its needed size is the sum of the installed files' sizes, and
# the authoring tools are not among them.
# usage: check-setup-folder.sh FOLDER
set -eu
dir=$1
fail() { echo "FAIL: $dir: $*" >&2; exit 1; }
for file in Setup.exe UnInst.dat Setup.ini Zippit.exe; do
    [ -f "$dir/$file" ] || fail "no $file"
done
# The authoring tools are for character authors, not for users.
for file in pkm.exe zippit-sim.exe authoring.md; do
    [ ! -e "$dir/$file" ] || fail "$file is an authoring tool, not part of the product"
done
ini=$(iconv -f GBK -t UTF-8 "$dir/Setup.ini" | tr -d '\r') || fail "Setup.ini is not GBK"
value() {  # SECTION KEY
    echo "$ini" | awk -v section="[$1]" -v key="$2" -F= '
        /^\[/ { inside = ($0 == section) }
        inside && $1 == key { sub(/^[^=]*=/, ""); print; exit }'
}
[ "$(value Setup ProductName)" = "Zippit(演示版)" ] || fail "ProductName"
case "$(value Setup DefaultPath)" in '?:\Program Files\'*) ;; *) fail "DefaultPath" ;; esac
[ "$(value LoadModule Module)" = "Zippy.Pkm" ] || fail "LoadModule Module"
[ -n "$(value StartMenu 1)" ] || fail "no Start-menu shortcut to the program"
[ -n "$(value Startup 1)" ] || fail "no Startup shortcut to the program"
size=$(stat -c %s "$dir/UnInst.dat")
i=1
while name=$(value SetupFiles "$i") && [ -n "$name" ]; do
    [ -f "$dir/$name" ] || fail "listed file $name is missing"
    size=$((size + $(stat -c %s "$dir/$name")))
    i=$((i + 1))
done
[ "$(value SetupFiles 1)" = "Zippit.exe" ] || fail "file 1 is not the program"
[ "$(value Setup DiskSpase)" = "$size" ] || fail "DiskSpase $(value Setup DiskSpase), files $size"
echo "ok: $dir ($((i - 1)) files, $size bytes)"
