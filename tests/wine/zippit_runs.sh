#!/bin/sh
# The real Zippit.exe from start to exit under wine64: the splash names the
# default character and ends by itself; a top-most, shaped mascot window
# stands on the front window's top edge with its tray icon and animates; a
# second copy is refused; a dragged character lands back on the edge; the
# menu opens from the character and from the tray icon; "退出(&C)" ends the
# program with 0, removes the icon and saves the settings.
# usage: zippit_runs.sh ZIPPIT.EXE PROBE.EXE
. "$(dirname "$0")/lib.sh"

STAND_TOP=300
ANCHOR_Y=79  # Zippy's standing line, from the top of his pictures

probe key clear
probe key set-module Zippy.Pkm
start_stand 200 $STAND_TOP 800 700

start_zippit
splash=$(probe splash 10000)
check "the splash shows" [ -n "$splash" ]
check "the splash names the module: $(echo "$splash" | grep '^module=')" \
    [ "$(echo "$splash" | sed -n 's/^module=//p')" = "Zippy" ]
check "the splash shows version 1.00 and the user" \
    [ "$(echo "$splash" | sed -n 's/^version=//p')/$(echo "$splash" | sed -n 's/^user=//p')" = "1.00/********" ]
check "the splash ends by itself" probe gone '#32770' 9000

info=$(probe wait PK32MainWClass 5000)
echo "mascot: $info"
check "the mascot window appears" [ -n "$info" ]
check "it is top-most, a tool window and accepts files" \
    [ "$(field "$info" topmost)$(field "$info" toolwindow)$(field "$info" acceptfiles)" = "111" ]
check "it has the shape of a picture (a region of many rectangles)" [ "$(field "$info" regionrects)" -gt 4 ]
hwnd=$(field "$info" hwnd)

# Standing: the picture's standing line on the stand window's top edge (a
# jump lifts it for a moment, so look for a while).
standing=0
i=0
while [ $i -lt 30 ]; do
    info=$(probe wait PK32MainWClass 1000)
    top=$(field "$info" rect | cut -d, -f2)
    if [ "$((top + ANCHOR_Y))" -eq $STAND_TOP ]; then standing=1; break; fi
    sleep 0.2
    i=$((i + 1))
done
check "it stands on the front window's top edge ($(field "$info" rect))" [ $standing = 1 ]
rect=$(field "$info" rect)
left=$(echo "$rect" | cut -d, -f1)
top=$(echo "$rect" | cut -d, -f2)
check "it stays within the window's width" [ "$left" -ge 170 ] && [ "$((left + 72))" -le 830 ]
import -window root "$ARTEFACTS/zippit-standing.png"
colours=$(convert "$ARTEFACTS/zippit-standing.png" -crop "72x80+$left+$top" +repage -format %k info:)
check "the screenshot shows the character ($colours colours in its window; $ARTEFACTS/zippit-standing.png)" \
    [ "$colours" -gt 8 ]
check "the tray icon is there" [ "$(probe tray "$hwnd")" = "tray=1" ]

# Animation: within seconds the window moves, changes shape or changes
# picture (even the idle action blinks).
looks=$(probe looks "$hwnd" 20000)
check "the character animates ($looks)" [ "${looks#looks=}" -ge 3 ]

# Dragging: grab the body and carry it up and to the right, then drop it;
# it lands back on the edge where it was dropped. The probe moves the mouse
# through the system's input inside Wine. A mouse-watching character ends
# its watch on a click instead, so try again once. Wine quirk: when the
# foreground changes just as the drag starts (the activation by the click
# races with Wine's own focus handling on a display without a window
# manager), the move loop loses the mouse capture but goes on running, and
# would swallow the quit message later; Escape, which the loop reads from
# the window's queue, ends such a loop before the next try.
moved=0
for attempt in 1 2 3; do
    info=$(probe wait PK32MainWClass 1000)
    rect=$(field "$info" rect)
    left=$(echo "$rect" | cut -d, -f1)
    top=$(echo "$rect" | cut -d, -f2)
    probe drag $((left + 36)) $((top + 50)) $((left + 236)) $((top - 50)) 20
    sleep 0.3
    rect=$(field "$(probe wait PK32MainWClass 1000)" rect)
    if [ "$(echo "$rect" | cut -d, -f1)" -ge $((left + 150)) ]; then moved=1; break; fi
    probe post "$hwnd" 0x100 0x1B 0x10001
    sleep 0.5
done
check "the dragged character stays where it was dropped across ($rect)" [ $moved = 1 ]
landed=0
i=0
while [ $i -lt 20 ]; do
    top=$(field "$(probe wait PK32MainWClass 1000)" rect | cut -d, -f2)
    if [ "$((top + ANCHOR_Y))" -eq $STAND_TOP ]; then landed=1; break; fi
    sleep 0.2
    i=$((i + 1))
done
check "the dragged character lands back on the window's edge" [ $landed = 1 ]

# The menu from a right click on the character: its bottom-left corner at the cursor.
info=$(probe wait PK32MainWClass 1000)
rect=$(field "$info" rect)
x=$(($(echo "$rect" | cut -d, -f1) + 36))
y=$(($(echo "$rect" | cut -d, -f2) + 50))
xdotool mousemove $x $y click 3
menu=$(probe wait '#32768' 5000)
check "a right click opens the menu" [ -n "$menu" ]
mrect=$(field "$menu" rect)
check "the menu's bottom-left corner is at the cursor ($mrect, cursor $x,$y)" \
    [ "$(echo "$mrect" | cut -d, -f1),$(echo "$mrect" | cut -d, -f4)" = "$x,$y" ]
import -window root "$ARTEFACTS/zippit-menu.png"
xdotool key Escape
check "Escape closes the menu" probe gone '#32768' 3000

# A second copy is refused and the first runs on.
first_exit=$last_exit_file
start_zippit
box=$(probe msgbox 10000)
check "a second copy says $box" [ "$box" = "text=不能多重起动。" ]
check "the second copy exits with 0" [ "$(wait_exit 10)" = 0 ]
last_exit_file=$first_exit
check "the first copy runs on" [ -n "$(probe wait PK32MainWClass 2000)" ]
check "the first copy has not ended" [ ! -s "$first_exit" ]

# The menu from the tray icon (its callback carries the right button going down).
probe post "$hwnd" 0x400 0 0x204
menu=$(probe wait '#32768' 5000)
check "a right click on the tray icon opens the menu" [ -n "$menu" ]

# 退出(&C), the last entry: the character goes, the icon goes, exit code 0,
# settings saved.
mrect=$(field "$menu" rect)
xdotool mousemove $(($(echo "$mrect" | cut -d, -f1) + 30)) $(($(echo "$mrect" | cut -d, -f4) - 10)) sleep 0.2 click 1
check "退出 hides the character" probe gone PK32MainWClass 3000
code=$(wait_exit 15)
check "the program ends with 0 (got $code)" [ "$code" = 0 ]
check "the tray icon is removed" [ "$(probe tray "$hwnd")" = "tray=0" ]
saved=$(saved_key)
check "the product key holds the running module and the settings: $saved" \
    [ "$saved" = "CharActPer=dword:550 Module=type1:Zippy.Pkm SndUse=dword:1 " ]

finish
