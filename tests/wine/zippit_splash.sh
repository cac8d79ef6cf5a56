#!/bin/sh
# The loading splash of the real Zippit.exe under wine64: a click before the
# character is loaded and the Escape key do nothing; once it is loaded
# ("完成" in the status line) a click ends the splash at once, the mascot
# appears, and the exit command saves the settings (a stored SndUse of 7
# comes back as 7). Then a module whose boot sounds claim more bytes than
# their entries hold: the program starts, shows the character and ends as
# usual, and the system's player is never handed those sounds.
# usage: zippit_splash.sh ZIPPIT.EXE PROBE.EXE
. "$(dirname "$0")/lib.sh"
PKM=$ROOT/dist/bin/pkm

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

# Pebble with its two boot sounds lying about their sizes: boot00's data
# chunk claims 2^30 bytes, boot01's format chunk 4 MiB (little-endian sizes
# written over the header at offsets 40 and 16). pkm build takes only sound
# files it can read, so they go in as other/ entries, stored as given:
# scrambled here by cat --text on a loose file (the scrambling is its own inverse).
if [ -x "$PKM" ]; then
    src=$WORK/src-lying
    "$PKM" unpack "$WORK/Pebble.Pkm" "$src" >/dev/null
    mkdir -p "$src/other"
    for n in 00 01; do
        "$PKM" cat "$WORK/Pebble.Pkm" boot$n.snd --text >"$WORK/boot$n.wav"
        rm -f "$src/sounds/boot$n.wav"
    done
    printf '\000\000\000\100' | dd of="$WORK/boot00.wav" bs=1 seek=40 conv=notrunc 2>/dev/null
    printf '\000\000\100\000' | dd of="$WORK/boot01.wav" bs=1 seek=16 conv=notrunc 2>/dev/null
    for n in 00 01; do
        (cd "$WORK" && "$PKM" cat none.Pkm boot$n.wav --text) >"$src/other/boot$n.snd"
    done
    "$PKM" build "$src" -o "$WORK/Lying.Pkm" >/dev/null
    check "pkm check names both boot sounds" \
        [ "$("$PKM" check "$WORK/Lying.Pkm" | grep -c "^error: info.txt: boot sound 'boot0[01].snd' is not played")" = 2 ]

    probe key clear
    probe key set-module Lying.Pkm
    probe key set-dword SndUse 1
    # Wine's player is traced: without a sound device it gives up before it
    # reads the data, so the trace shows whether it was handed the sound.
    logged=$(wc -l <"$WORK/zippit.log" 2>/dev/null || echo 0)
    ZIPPIT_WINEDEBUG=+winmm,+mmio
    start_zippit
    unset ZIPPIT_WINEDEBUG
    check "the splash of the module with lying boot sounds opens" [ -n "$(probe splash 10000)" ]
    check "the splash ends by itself" probe gone '#32770' 15000
    info=$(probe wait PK32MainWClass 5000)
    check "the character appears" [ -n "$info" ]
    probe post "$(field "$info" hwnd)" 0x111 40002 0
    code=$(wait_exit 15)
    check "the program ends with 0 (got $code)" [ "$code" = 0 ]
    trace=$(tail -n +$((logged + 1)) "$WORK/zippit.log")
    check "the player was traced" [ -n "$(echo "$trace" | grep MULTIMEDIA_PlaySound)" ]
    check "the player was never handed a lying boot sound" \
        [ -z "$(echo "$trace" | grep -E 'cksize=(4194304|1073741824),')" ]
else
    fail "dist/bin/pkm is missing: the native build makes it"
fi

finish
