#!/bin/sh
# Makes a setup folder ready to copy to a medium: Setup.exe, UnInst.dat (the
# uninstaller), the product files that exist so far (the program, the
# character modules, the help) and a Setup.ini (GBK) that lists them, with the
# needed size summed from their sizes.
# usage: make-setup-folder.sh OUT SETUP.exe UNINST.exe ZIPPIT.exe MODULES_DIR HELP_DIR
set -eu
out=$1 setup=$2 uninst=$3 program=$4 modules=$5 help=$6

rm -rf "$out"
mkdir -p "$out"
cp "$setup" "$out/Setup.exe"
cp "$uninst" "$out/UnInst.dat"

# The listed files, in order: the program, the default character first, the
# other characters, the help.
files=""
add() { cp "$1" "$out/"; files="$files $(basename "$1")"; }
[ -f "$program" ] && add "$program"
[ -f "$modules/Zippy.Pkm" ] && add "$modules/Zippy.Pkm"
for module in "$modules"/*.Pkm; do
    [ -f "$module" ] && [ "$(basename "$module")" != Zippy.Pkm ] && add "$module"
done
for page in "$help"/*; do
    [ -f "$page" ] && add "$page"
done

size=$(stat -c %s "$out/UnInst.dat")
for file in $files; do size=$((size + $(stat -c %s "$out/$file"))); done

product="Zippit(演示版)"
{
    printf '[Setup]\n'
    printf 'ProductName=%s\n' "$product"
    printf 'ProductVersion=1.0\n'
    printf 'DefaultPath=?:\\Program Files\\Zippit\n'
    printf 'DiskSpase=%s\n' "$size"
    printf 'ExecFile=Zippit.exe\n'
    printf '[LoadModule]\n'
    printf 'Module=Zippy.Pkm\n'
    printf '[SetupFiles]\n'
    i=0
    for file in $files; do i=$((i + 1)); printf '%d=%s\n' "$i" "$file"; done
    printf '[StartMenu]\n'
    printf 'Question=C\n'
    printf 'StartMenu=%s\n' "$product"
    i=0
    help_link=0
    for file in $files; do
        i=$((i + 1))
        case "$file" in
            Zippit.exe) printf '%d=%s,\n' "$i" "$product" ;;
            *.htm|*.html|*.hlp)
                # One help shortcut, to the first page.
                if [ "$help_link" = 0 ]; then printf '%d=%s 帮助,\n' "$i" "$product"; help_link=1; fi ;;
        esac
    done
    printf '[Startup]\n'
    i=0
    for file in $files; do
        i=$((i + 1))
        [ "$file" = Zippit.exe ] && printf '%d=%s,\n' "$i" "$product"
    done
    printf '[Desktop]\n'
    printf 'Question=G\n'
} | sed 's/$/\r/' | iconv -f UTF-8 -t GBK >"$out/Setup.ini"
echo "setup folder: $out ($(echo $files | wc -w) product files, $size bytes)"
