#!/bin/sh
# The real Zippit.exe from start to exit under wine64: the splash names the
# default character and ends by itself; a top-most, shaped mascot window
# stands on the front window's top edge with its tray icon and animates; a
# second copy is refused; a dragged character lands back on the edge; the
# menu opens from the character and from the tray icon; "退出(&C)" ends the
# program with 0, removes the icon and saves the settings. A full-screen
# window in front hides the character until the stand window is in front
# again; the hide key (Ctrl+Alt+Z) and a locked session hide it and stop its
# frames (its thread does not wake) until the key is pressed again or the
# session unlocked. Then a run with a character of 2-second steps,
# HideOverFullScreen 0 and SizeFactor 2: the character is twice its size,
# the tray icon's click is answered at once while the program waits for the
# next frame, a new taskbar gets the icon again, a full-screen window is
# stood on like any other, and the end of the session saves the settings
# before the process is ended, leaving an edited HideOverFullScreen as it is.
# usage: zippit_runs.sh ZIPPIT.EXE PROBE.EXE
. "$(dirname "$0")/lib.sh"

STAND_TOP=300
ANCHOR_Y=79  # Zippy's standing line, from the top of his pictures

# Runs a command every 0.2 s until it succeeds or SECONDS have passed: eventually SECONDS COMMAND...
eventually() {
    deadline=$(($(date +%s) + $1))
    shift
    while ! "$@"; do
        [ "$(date +%s)" -ge $deadline ] && return 1
        sleep 0.2
    done
}

# Whether the mascot's top-left corner satisfies a test: mascot_at LEFT_OP LEFT TOP_OP TOP
# (an operator "any" skips that coordinate); sets rect to what it read.
mascot_at() {
    rect=$(field "$(probe wait PK32MainWClass 1000)" rect)
    [ -n "$rect" ] || return 1
    { [ "$1" = any ] || [ "$(echo "$rect" | cut -d, -f1)" "$1" "$2" ]; } &&
        { [ "$3" = any ] || [ "$(($(echo "$rect" | cut -d, -f2) + ANCHOR_Y))" "$3" "$4" ]; }
}

# Whether the Linux thread that runs Zippit.exe's frame loop (the process's
# first) stays asleep for 3 seconds: its scheduler count of times it ran.
sleeps_3s() {
    runs() { awk '{ print $3 }' "/proc/$zippit_pid/task/$zippit_pid/schedstat"; }
    before=$(runs)
    sleep 3
    [ -n "$before" ] && [ "$(runs)" = "$before" ]
}

# A full-screen program: a window without a title bar as large as the
# screen, in front, until killed.
start_full_screen() {
    "$WINE" "$PROBE_EXE" stand 0 0 "$screen_width" "$screen_height" ZippitFullScreen >"$WORK/full.log" 2>&1 &
    full_pid=$!
    started_pids="$started_pids $full_pid"
}

probe key clear
probe key set-module Zippy.Pkm
start_stand 200 $STAND_TOP 800 700
screen=$(probe screen)
screen_width=${screen% *}
screen_height=${screen#* }

start_zippit
splash=$(probe splash 10000)
zippit_pid=$(cat "$WORK/pid.$run_count")
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
check "it stands on the front window's top edge" eventually 30 mascot_at any 0 -eq $STAND_TOP
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
changes=$(probe changes "$hwnd" 20000)
check "the character animates ($changes)" [ "${changes#changes=}" -ge 3 ]

# Dragging: grab the body and carry it up and to the right, then drop it;
# it lands back on the edge where it was dropped. The probe moves the mouse
# through the system's input inside Wine. A mouse-watching character ends
# its watch on a click instead, so try again once. Wine quirk: when the
# foreground changes just as the drag starts (the activation by the click
# races with Wine's own focus handling on a display without a window
# manager), the move loop loses the mouse capture but goes on running, and
# would swallow the quit message later (the program posts it again when
# its window is gone after the loop); Escape, which the loop reads from the
# window's queue, ends such a loop before the next try. On a busy machine
# the program may take a while to follow the mouse: each step waits for
# what it expects, with a deadline.
moved=0
for attempt in 1 2 3; do
    mascot_at any 0 any 0
    left=$(echo "$rect" | cut -d, -f1)
    top=$(echo "$rect" | cut -d, -f2)
    probe drag $((left + 36)) $((top + 50)) $((left + 236)) $((top - 50)) 20
    if eventually 5 mascot_at -ge $((left + 150)) any 0; then
        moved=1
        # Dropped across: it lands on the edge unless the move loop outlived the drag.
        eventually 10 mascot_at any 0 -eq $STAND_TOP && break
    fi
    moved=0
    probe post "$hwnd" 0x100 0x1B 0x10001
    eventually 10 mascot_at any 0 -eq $STAND_TOP
done
check "the dragged character stays where it was dropped across ($rect)" [ $moved = 1 ]
check "the dragged character lands back on the window's edge" eventually 10 mascot_at any 0 -eq $STAND_TOP

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

# A full-screen window in front hides the character; the stand window in
# front again brings it back onto its edge.
start_full_screen
check "a full-screen window in front hides the character" probe gone PK32MainWClass 10000
probe activate ZippitStand
check "the stand window in front again shows it on its edge" eventually 10 mascot_at any 0 -eq $STAND_TOP
kill "$full_pid"

# The hide key, pressed as a keyboard would, and a locked session (its
# notification, which Wine cannot give, posted as the system does): the
# character goes, the frame loop sleeps, and it comes back onto its edge.
VK_CONTROL=0x11
VK_MENU=0x12
probe chord $VK_CONTROL $VK_MENU 0x5A
check "Ctrl+Alt+Z hides the character" probe gone PK32MainWClass 10000
check "hidden, its frames stop: the thread sleeps 3 seconds" eventually 20 sleeps_3s
probe chord $VK_CONTROL $VK_MENU 0x5A
check "Ctrl+Alt+Z again brings it back onto its edge" eventually 10 mascot_at any 0 -eq $STAND_TOP
probe post "$hwnd" 0x2B1 7 0  # WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK
check "locked, the character goes" probe gone PK32MainWClass 10000
check "locked, its frames stop" eventually 20 sleeps_3s
probe post "$hwnd" 0x2B1 8 0  # WTS_SESSION_UNLOCK
check "unlocked, it is back on its edge" eventually 10 mascot_at any 0 -eq $STAND_TOP

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

# A character whose one action shows two pictures for 2 s each: the program
# spends nearly all its time waiting for the next frame.
slow=$WORK/slow
"$ROOT/dist/bin/pkm" unpack Zippy.Pkm "$slow" >/dev/null
printf 'std,3,36,79,\n0,\n0,\n2,0,1,0,\n0,0,0,2000,\n1,0,0,2000,\n2,\ndef01,100,\ndef01,900,\n' >"$slow/actions/def01.txt"
sed -i '5s/.*/1,def01,100,/' "$slow/info.txt"
"$ROOT/dist/bin/pkm" build "$slow" -o Slow.Pkm >/dev/null
probe key clear
probe key set-module Slow.Pkm
probe key set-dword CharActPer 300
probe key set-dword SndUse 0
probe key set-dword HideOverFullScreen 0
probe key set-dword SizeFactor 2
start_zippit
probe gone '#32770' 20000
info=$(probe wait PK32MainWClass 10000)
hwnd=$(field "$info" hwnd)
check "the slow character runs" [ -n "$hwnd" ]
# SizeFactor 2 at 96 DPI: Zippy's 72 x 80 pictures at twice their size,
# his standing line (79 pixels down) at 158.
ANCHOR_Y=158
probe activate ZippitStand
check "with SizeFactor 2 it stands on the front window's edge" eventually 20 mascot_at any 0 -eq $STAND_TOP
size=$(($(echo "$rect" | cut -d, -f3) - $(echo "$rect" | cut -d, -f1)))x$(($(echo "$rect" | cut -d, -f4) - $(echo "$rect" | cut -d, -f2)))
check "with SizeFactor 2 it is 144 x 160 ($size)" [ "$size" = 144x160 ]
answer=$(probe respond "$hwnd" 10000)
# Idle it answers in about 20 ms; a loop that sleeps through the step takes
# up to 2 s. The bound leaves room for a busy machine's slow menu.
answered_soon() { [ -n "$answer" ] && [ "${answer#ms=}" -lt 500 ]; }
check "a click posted while a 2-second step waits is answered at once, not after the step ($answer)" answered_soon

# A restarted shell's new taskbar: the icon is added again.
tray_there() { [ "$(probe tray "$hwnd")" = "tray=1" ]; }
check "the icon is gone with the old taskbar" probe retray "$hwnd"
check "the new taskbar gets the icon again" eventually 10 tray_there

# HideOverFullScreen 0: the character stands inside the full-screen window's bottom edge.
start_full_screen
check "with HideOverFullScreen 0 it stands on a full-screen window" \
    eventually 15 mascot_at any 0 -eq $((screen_height - 3))
kill "$full_pid"

# The end of the session: the settings are saved before the process is
# ended (the key is emptied first, so what it holds then was written then).
# HideOverFullScreen, edited while the program runs, keeps the edit.
probe key clear
probe key set-dword HideOverFullScreen 1
probe post "$hwnd" 0x11 0 0  # WM_QUERYENDSESSION
probe post "$hwnd" 0x16 1 0  # WM_ENDSESSION, the session ends
chosen="CharActPer=dword:300 HideOverFullScreen=dword:1 Module=type1:Slow.Pkm SndUse=dword:0 "
key_holds() { saved=$(probe key dump | sort | tr '\n' ' '); [ "$saved" = "$1" ]; }
tray_gone() { [ "$(probe tray "$hwnd")" = "tray=0" ]; }
check "the end of the session saves the chosen settings" eventually 10 key_holds "$chosen"
check "the end of the session removes the tray icon" eventually 10 tray_gone
kill "$(cat "$WORK/pid.$run_count")" 2>/dev/null
check "the settings stay once the process is ended: $saved" key_holds "$chosen"

finish
