#!/bin/sh
# Zippit.exe refusing to start under wine64: no product key, a key without
# `Module`, an empty or missing module file, a module of another version.
# Each shows its message, ends with 0 and leaves the product key as it was.
# usage: zippit_refuses.sh ZIPPIT.EXE PROBE.EXE
. "$(dirname "$0")/lib.sh"

# refused DESCRIPTION EXPECTED_MESSAGE...: starts the program, answers its
# message boxes in order, checks each text and the exit code.
refused() {
    what=$1
    shift
    before=$(probe key dump | sort | tr '\n' ' ')
    start_zippit
    for expected in "$@"; do
        box=$(probe msgbox 15000)
        check "$what: the message reads ${box#text=}" [ "$box" = "text=$expected" ]
    done
    code=$(wait_exit 15)
    check "$what: exit code 0 (got $code)" [ "$code" = 0 ]
    check "$what: the product key is unchanged" [ "$(probe key dump | sort | tr '\n' ' ')" = "$before" ]
    check "$what: no mascot window was left" probe gone PK32MainWClass 100
}

probe key clear
refused "no product key" "无法加载的注册表信息。"

probe key set-dword CharActPer 300
refused "a key without Module" "无法加载的注册表信息。"

probe key clear
probe key set-module Missing.Pkm
refused "a missing module file" '没有组件文件"Missing.Pkm"。'

probe key clear
probe key set-module ""
refused "an empty Module" '没有组件文件""。'

# A module whose description does not start with the digit 0: the splash
# names it, then loading it at the second tick shows the version message.
if [ -x "$ROOT/dist/bin/pkm" ]; then
    cp -r "$ROOT/resources/characters/zippy" "$WORK/future"
    sed -i '1s/^0,/1,/' "$WORK/future/info.txt"
    "$ROOT/dist/bin/pkm" build "$WORK/future" -o "$WORK/Future.Pkm" >/dev/null
    probe key clear
    probe key set-module Future.Pkm
    refused "a module of another version" "组件的版本不同。"
else
    fail "dist/bin/pkm is missing: the native build makes it"
fi

finish
