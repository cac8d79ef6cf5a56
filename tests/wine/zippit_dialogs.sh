#!/bin/sh
# The settings dialogs of the real Zippit.exe, opened from its popup menu
# under wine64: the personality slider starts from the stored personality,
# "确定" keeps the moved slider and the cleared sound box and they are saved
# at exit, "取消" and Escape keep nothing; About names the running module and
# stays open on Escape; the module dialog lists the character modules by
# display name (not a folder named *.Pkm, nor a module marked unlisted),
# refuses to delete the running one, deletes another only after "Yes", and
# switches the character on screen, which is saved at exit. While a dialog
# is open the tray icon opens no menu. Then the same under code page 950:
# the texts read the same, and a module whose name that code page cannot
# spell is listed, chosen, saved and loaded at the next start.
# usage: zippit_dialogs.sh ZIPPIT.EXE PROBE.EXE
. "$(dirname "$0")/lib.sh"

PKM=$ROOT/dist/bin/pkm
if [ ! -x "$PKM" ]; then
    echo "FAIL: $PKM is missing: the native build makes it" >&2
    exit 1
fi

# Modules beside the shipped two: Spare (Pebble under another name, to be
# deleted), Hidden (its description's first field is 1: never listed), and
# a folder named like a module.
make_module() {  # NAME FIRST-FIELD: Pebble's folder with that name and field
    rm -rf "$WORK/src-$1"
    "$PKM" unpack "$WORK/Pebble.Pkm" "$WORK/src-$1" >/dev/null &&
        sed -i "1s/^0,Pebble,/$2,$1,/" "$WORK/src-$1/info.txt" &&
        "$PKM" build "$WORK/src-$1" -o "$WORK/$1.Pkm" >/dev/null &&
        rm -rf "$WORK/src-$1"
}
check "a spare module is made" make_module Spare 0
check "a module marked unlisted is made" make_module Hidden 1
mkdir "$WORK/x.Pkm"

probe key clear
probe key set-module Zippy.Pkm
probe key set-dword CharActPer 700
probe key set-dword SndUse 1
start_stand 200 300 800 700

start_zippit
check "the splash shows" eval 'probe splash 15000 >/dev/null'
check "the splash ends" probe gone '#32770' 15000
info=$(probe wait $MASCOT 10000)
check "the mascot window appears" [ -n "$info" ]
[ -n "$info" ] || finish  # nothing below can pass without it
hwnd=$(field "$info" hwnd)

# The slider's position and the sound box's state, as "POS/CHECKED".
personality_shown() {
    echo "$(probe slider "$dialog" $SLIDER | sed 's/^pos=//')/$(probe checkbox "$dialog" $SOUND_BOX | sed 's/^checked=//')"
}

# Moves the slider to its right end with the End key and clears the box.
change_personality() {
    probe keydown "$dialog" $SLIDER $VK_END
    probe checkbox "$dialog" $SOUND_BOX 0 >/dev/null
    sleep 0.2
    [ "$(personality_shown)" = "1000/0" ]
}

# ---- Personality and sound ----
open_dialog $SLIDER "the personality dialog" $MENU_PERSONALITY
shown=$(personality_shown)
check "the slider starts at 1100 - 700 and the sound box is ticked ($shown)" [ "$shown" = "400/1" ]
check "End moves the slider to its right end, the box is cleared" change_personality
probe keydown "$dialog" 0 $VK_ESCAPE
check "Escape closes the personality dialog" dialog_gone

open_dialog $SLIDER "the personality dialog again" $MENU_PERSONALITY
shown=$(personality_shown)
check "after Escape nothing has changed ($shown)" [ "$shown" = "400/1" ]
change_personality
probe press "$dialog" 2
check "取消 closes the personality dialog" dialog_gone

open_dialog $SLIDER "the personality dialog a third time" $MENU_PERSONALITY
shown=$(personality_shown)
check "after 取消 nothing has changed ($shown)" [ "$shown" = "400/1" ]
change_personality
# The tray icon's click while the dialog is open opens no second menu: the
# click is posted before 确定, so it has been handled once the dialog is gone.
probe post "$hwnd" 0x400 0 0x204
probe press "$dialog" 1
check "确定 closes the personality dialog" dialog_gone
check "the tray icon opened no menu over the dialog" eval '! probe wait "#32768" 0 >/dev/null'

open_dialog $SLIDER "the personality dialog after 确定" $MENU_PERSONALITY
shown=$(personality_shown)
check "after 确定 the dialog shows the new personality and sound ($shown)" [ "$shown" = "1000/0" ]
probe keydown "$dialog" 0 $VK_ESCAPE
dialog_gone

# ---- About ----
open_dialog $USER_NAME "About" $MENU_ABOUT
shown=$(probe text "$dialog" $RUNNING_MODULE)
check "About names the running module ($shown)" [ "$shown" = "Zippy" ]
probe keydown "$dialog" 0 $VK_ESCAPE
sleep 0.7
check "Escape leaves About open" eval 'probe text "$dialog" $USER_NAME >/dev/null'
probe keydown "$dialog" 0 $VK_RETURN
check "Enter closes About" dialog_gone

# ---- Modules ----
open_dialog $MODULE_LIST "the module settings" $MENU_MODULES
shown=$(probe text "$dialog" $RUNNING_MODULE)
check "the module dialog names the running module ($shown)" [ "$shown" = "Zippy" ]
listed=$(probe list "$dialog" $MODULE_LIST | tr '\n' ' ')
check "the list holds the listed modules by display name, with their file names: $listed" \
    [ "$listed" = "count=3 Pebble|Pebble.Pkm Spare|Spare.Pkm Zippy|Zippy.Pkm " ]

probe select "$dialog" $MODULE_LIST Zippy
probe press "$dialog" $DELETE_BUTTON
box=$(probe msgbox 5000)
check "deleting the running module is refused ($box)" [ "$box" = "text=组件目前正在使用中，无法删除。" ]
sleep 0.3
check "the running module's file stays" [ -f "$WORK/Zippy.Pkm" ]

probe select "$dialog" $MODULE_LIST Spare
probe press "$dialog" $DELETE_BUTTON
box=$(probe msgbox 5000 no)
check "deleting another asks first ($box)" [ "$box" = "text=您确定要删除“Spare”组件吗？" ]
sleep 0.3
check "after No the file stays" [ -f "$WORK/Spare.Pkm" ]
check "after No the entry stays" [ "$(probe list "$dialog" $MODULE_LIST | head -1)" = "count=3" ]

probe select "$dialog" $MODULE_LIST Spare
probe press "$dialog" $DELETE_BUTTON
box=$(probe msgbox 5000 yes)
check "deleting asks again ($box)" [ -n "$box" ]
i=0
while [ -f "$WORK/Spare.Pkm" ] && [ $i -lt 30 ]; do sleep 0.1; i=$((i + 1)); done
check "after Yes the file is gone" [ ! -f "$WORK/Spare.Pkm" ]
listed=$(probe list "$dialog" $MODULE_LIST | tr '\n' ' ')
check "after Yes the entry is gone: $listed" [ "$listed" = "count=2 Pebble|Pebble.Pkm Zippy|Zippy.Pkm " ]
probe press "$dialog" 2
check "取消 closes the module settings" dialog_gone

# Switching: what the mascot window shows before and after, from screenshots.
shot() {  # FILE: the mascot's pixels on screen, once it is shown
    info=$(probe wait $MASCOT 5000)
    rect=$(field "$info" rect)
    l=$(echo "$rect" | cut -d, -f1)
    t=$(echo "$rect" | cut -d, -f2)
    w=$(($(echo "$rect" | cut -d, -f3) - l))
    h=$(($(echo "$rect" | cut -d, -f4) - t))
    import -window root "$ARTEFACTS/$1.png"
    convert "$ARTEFACTS/$1.png" -crop "${w}x$h+$l+$t" +repage "$ARTEFACTS/$1-mascot.png"
    echo "${w}x$h"
}
sleep 0.5
before=$(shot zippit-dialogs-zippy)
open_dialog $MODULE_LIST "the module settings again" $MENU_MODULES
probe select "$dialog" $MODULE_LIST Pebble
probe press "$dialog" 1
check "更改 closes the module settings" dialog_gone
sleep 1
after=$(shot zippit-dialogs-pebble)
check "the switched character has Pebble's size on screen ($before, then $after)" [ "$after" = "44x36" ]
# The colours drawn: Pebble's picture shares few with Zippy's.
colours() { convert "$1" -unique-colors txt:- | sed -n 's/.*#\([0-9A-F]\{6\}\).*/\1/p' | sort -u; }
colours "$ARTEFACTS/zippit-dialogs-zippy-mascot.png" >"$WORK/colours.before"
colours "$ARTEFACTS/zippit-dialogs-pebble-mascot.png" >"$WORK/colours.after"
new=$(comm -13 "$WORK/colours.before" "$WORK/colours.after" | wc -l)
check "the screen shows other colours after the switch ($new new; $ARTEFACTS/zippit-dialogs-*.png)" [ "$new" -gt 3 ]

open_dialog $USER_NAME "About after the switch" $MENU_ABOUT
shown=$(probe text "$dialog" $RUNNING_MODULE)
check "About names the new module ($shown)" [ "$shown" = "Pebble" ]
probe press "$dialog" 1
dialog_gone

# ---- Exit: what was chosen is saved ----
check "the settings are not written before exit" \
    [ "$(probe key dump | sort | tr '\n' ' ')" = "CharActPer=dword:700 Module=type1:Zippy.Pkm SndUse=dword:1 " ]
menu $MENU_EXIT
code=$(wait_exit 15)
check "the program ends with 0 (got $code)" [ "$code" = 0 ]
saved=$(saved_key)
check "the product key holds the new module, personality and sound: $saved" \
    [ "$saved" = "CharActPer=dword:100 Module=type1:Pebble.Pkm SndUse=dword:0 " ]

# ---- On a Traditional Chinese system (code page 950) ----
# The texts read as under GBK; a module whose file name that code page cannot
# spell (猫 is not in Big5, ñ in no Chinese code page) is listed, chosen,
# saved and loaded at the next start. Its display name is 小猫 (GBK).
ZIPPIT_LOCALE=zh_TW.UTF-8
check "the locale gives code page 950" [ "$(export LANG=$ZIPPIT_LOCALE LC_ALL=$ZIPPIT_LOCALE; probe acp)" = acp=950 ]
rm -rf "$WORK/src-kitten"
"$PKM" unpack "$WORK/Pebble.Pkm" "$WORK/src-kitten" >/dev/null
LC_ALL=C sed -i "1s/^0,Pebble,/0,$(printf '小猫' | iconv -f UTF-8 -t GBK),/" "$WORK/src-kitten/info.txt"
check "a module named 小猫ñ.Pkm is made" "$PKM" build "$WORK/src-kitten" -o "$WORK/小猫ñ.Pkm"

start_zippit
splash=$(probe splash 15000)
check "the splash's status line reads $(echo "$splash" | grep '^status=')" \
    eval 'echo "$splash" | grep -q "^status=正在加载\.\.\."'
info=$(probe wait $MASCOT 15000)
hwnd=$(field "$info" hwnd)
check "the mascot window appears under code page 950" [ -n "$hwnd" ]
[ -n "$hwnd" ] || finish

open_dialog $MODULE_LIST "the module settings under code page 950" $MENU_MODULES
listed=$(probe list "$dialog" $MODULE_LIST | tr '\n' ' ')
check "the list holds 小猫 with its file name: $listed" \
    [ "$listed" = "count=3 Pebble|Pebble.Pkm Zippy|Zippy.Pkm 小猫|小猫ñ.Pkm " ]
probe select "$dialog" $MODULE_LIST Pebble
probe press "$dialog" $DELETE_BUTTON
box=$(probe msgbox 5000)
check "the refusal reads ${box#text=}" [ "$box" = "text=组件目前正在使用中，无法删除。" ]
probe select "$dialog" $MODULE_LIST 小猫
probe press "$dialog" 1
check "更改 switches to 小猫" dialog_gone
menu $MENU_EXIT
check "the program ends with 0" [ "$(wait_exit 15)" = 0 ]
saved=$(saved_key)
check "the product key holds the name as it is: $saved" \
    [ "$saved" = "CharActPer=dword:100 Module=type1:小猫ñ.Pkm SndUse=dword:0 " ]

start_zippit
splash=$(probe splash 15000)
check "the next start loads 小猫ñ.Pkm: $(echo "$splash" | grep '^module=')" \
    [ "$(echo "$splash" | sed -n 's/^module=//p')" = 小猫 ]
info=$(probe wait $MASCOT 15000)
check "小猫 appears" [ -n "$info" ]
hwnd=$(field "$info" hwnd)
menu $MENU_EXIT
check "the program ends with 0 again" [ "$(wait_exit 15)" = 0 ]

finish
