#!/bin/sh
# Zippit.exe refusing to start under wine64: no product key, a key without
# `Module`, an empty or missing module file, a module of another version, a
# copy running elevated.
# Each shows its message, ends with 0 and leaves the product key as it was.
# Then a run at 192 DPI, where the program does start: the character is
# drawn twice as large.
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

# A copy running elevated (as Setup starts it) holds the mutex with a
# security that denies this copy even opening it: another copy all the same.
probe key clear
probe key set-module Zippy.Pkm
"$WINE" "$PROBE_EXE" deniedmutex >"$WORK/mutex.log" 2>&1 &
mutex_pid=$!
started_pids="$started_pids $mutex_pid"
i=0
until grep -q held "$WORK/mutex.log" || [ $i -ge 150 ]; do sleep 0.1; i=$((i + 1)); done
refused "a copy running elevated" "不能多重起动。"
kill "$mutex_pid"

# At 192 DPI the character comes at twice its size: a 144 x 160 window
# whose shape is Zippy's region with every number doubled, his standing line
# (79 pixels down his picture, so 158 here) on the front window's top edge.
# Wine takes the DPI from the prefix's LogPixels when a program starts; it
# goes back to 96 afterwards, whatever happens, for the other tests.
dpi_key='HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts'
set_dpi() { "$WINE" reg add "$dpi_key" /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1; }
trap 'set_dpi 96; cleanup' EXIT INT TERM
STAND_TOP=300
# Whether the mascot's window stands where it should; sets info and rect.
standing_scaled() {
    info=$(probe wait PK32MainWClass 1000)
    rect=$(field "$info" rect)
    [ -n "$rect" ] && [ "$(($(echo "$rect" | cut -d, -f2) + 158))" -eq $STAND_TOP ]
}
probe key clear
probe key set-module Zippy.Pkm
start_stand 200 $STAND_TOP 800 700
set_dpi 192
start_zippit
probe gone '#32770' 1000 >/dev/null  # nothing of ours before the splash
info=$(probe wait PK32MainWClass 20000)
hwnd=$(field "$info" hwnd)
check "at 192 DPI the mascot window appears" [ -n "$hwnd" ]
deadline=$(($(date +%s) + 30))
while ! standing_scaled && [ "$(date +%s)" -lt $deadline ]; do sleep 0.2; done
echo "mascot at 192 DPI: $info"
left=$(echo "$rect" | cut -d, -f1)
top=$(echo "$rect" | cut -d, -f2)
check "at 192 DPI it is 144 x 160 ($rect)" \
    [ "$(($(echo "$rect" | cut -d, -f3) - left))x$(($(echo "$rect" | cut -d, -f4) - top))" = 144x160 ]
check "its standing line, 158 pixels down, is on the front window's top edge" [ "$((top + 158))" -eq $STAND_TOP ]
region=$(field "$info" region)
check "its shape is the doubled region ($region, $(field "$info" regionrects) rectangles): even edges, wider than 72" \
    [ "$(echo "$region" | tr ',' '\n' | awk '$1 % 2 != 0' | wc -l)" -eq 0 ] &&
    [ "$(($(echo "$region" | cut -d, -f3) - $(echo "$region" | cut -d, -f1)))" -gt 72 ] &&
    [ "$(field "$info" regionrects)" -gt 4 ]
import -window root "$ARTEFACTS/zippit-192dpi.png"
menu $MENU_EXIT
code=$(wait_exit 15)
check "at 192 DPI 退出 ends it with 0 (got $code)" [ "$code" = 0 ]
set_dpi 96

finish
