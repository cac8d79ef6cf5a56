#!/bin/sh
# Checks that a built program's resources hold every TEXT (given in UTF-8):
# resource scripts store dialog texts as UTF-16LE.
# usage: check-resource-text.sh BINARY TEXT...
set -eu
binary=$1
shift
dump=$(od -An -tx1 -v "$binary" | tr -d ' \n')
status=0
for text in "$@"; do
    utf16=$(printf '%s' "$text" | iconv -f UTF-8 -t UTF-16LE | od -An -tx1 | tr -d ' \n')
    case "$dump" in
        *"$utf16"*) echo "ok: $binary holds the dialog text $text" ;;
        *) echo "FAIL: $binary lacks the dialog text $text" >&2; status=1 ;;
    esac
done
exit $status
