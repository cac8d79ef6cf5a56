#!/bin/sh
# Checks that a built binary holds TEXT (given in UTF-8) as GBK bytes.
# usage: check-gbk.sh BINARY TEXT
set -eu
binary=$1
gbk=$(printf '%s' "$2" | iconv -f UTF-8 -t GBK)
if LC_ALL=C grep -q -a -F "$gbk" "$binary"; then
    echo "ok: $binary holds the GBK bytes of $2"
else
    echo "FAIL: $binary lacks the GBK bytes of $2" >&2
    exit 1
fi
