#!/bin/sh
# Checks that the help page lies beside the program, declares its charset and
# has the anchor of every context number the program opens (1, 10, 11).
# usage: check-help-page.sh PROGRAM
set -eu
page=$(dirname "$1")/Zippit.html
status=0
if [ ! -f "$page" ]; then
    echo "FAIL: no help page beside $1" >&2
    exit 1
fi
grep -qi '<meta charset="utf-8">' "$page" || { echo "FAIL: $page declares no charset" >&2; status=1; }
for context in 1 10 11; do
    grep -q "id=\"topic-$context\"" "$page" || { echo "FAIL: $page lacks the anchor topic-$context" >&2; status=1; }
done
[ "$status" = 0 ] && echo "ok: $page"
exit $status
