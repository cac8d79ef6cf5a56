#!/bin/sh
# The loading splash of the real Zippit.exe under wine64: a click before the
# character is loaded and the Escape key do nothing; once it is loaded
# ("完成" in the status line) a click ends the splash at once, the mascot
# appears, and the exit command saves the settings (a stored SndUse of 7
# comes back as 7).
# usage: zippit_splash.sh ZIPPIT.EXE PROBE.EXE
. "$(dirname "$0")/lib.sh"

probe key clear
probe key set-module Pebble.Pkm
probe key set-dword SndUse 7
probe key set-dword CharActPer 1001

start_zippit
splash=$(probe splash 10000)
check "the splash names the module: $(echo "$splash" | grep '^module=')" \
    [ "$(echo "$splash" | sed -n 's/^module=//p')" = "Pebble" ]
rect=$(field "$(echo "$splash" | head -1)" rect)
x=$(($(echo "$rect" | cut -d, -f1) + 100))
y=$(($(echo "$rect" | cut -d, -f2) + 100))
# The keyboard follows the pointer on this display: rest it on the splash.
xdotool mousemove $x $y click 1 sleep 0.2 key Escape
sleep 0.5
check "a click before loading and Escape leave the splash open" [ -n "$(probe splash 100)" ]

loaded=0
i=0
while [ $i -lt 40 ]; do
    case "$(probe splash 100)" in *status=正在加载...完成*) loaded=1; break ;; esac
    sleep 0.1
    i=$((i + 1))
done
check "the status line says the character is loaded" [ $loaded = 1 ]
xdotool key Escape
sleep 0.3
check "Escape after loading still leaves it open" [ -n "$(probe splash 100)" ]
xdotool mousemove $x $y click 1
check "a click after loading ends the splash at once" probe gone '#32770' 1500

info=$(probe wait PK32MainWClass 5000)
check "the mascot appears" [ -n "$info" ]
probe post "$(field "$info" hwnd)" 0x111 40002 0
code=$(wait_exit 15)
check "the exit command ends the program with 0 (got $code)" [ "$code" = 0 ]
saved=$(saved_key)
check "the settings are saved, SndUse as held, CharActPer out of range as 550: $saved" \
    [ "$saved" = "CharActPer=dword:550 Module=type1:Pebble.Pkm SndUse=dword:7 " ]

finish
