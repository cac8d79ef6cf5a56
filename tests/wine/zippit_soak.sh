#!/bin/sh
# Zippit.exe kept busy under wine64 for ZIPPIT_SOAK_SECONDS (default 0: the
# least number of rounds, about three minutes; scripts/soak gives 600), in
# Wine's virtual desktop with its real taskbar: round after round the script
# brings one of two windows to the front, then the taskbar (the character
# hides) and the first window again (the character is back), opens
# and closes the personality dialog and About, opens the popup menu from the
# character and closes it, and switches the character to Pebble and back to
# Zippy through the module settings. After each round (Zippy on screen again)
# it reads the program's GDI and USER object counts and private memory
# through the probe, and the private dirty memory of its Linux process. These
# must stay flat: the level of the last three rounds may not pass the level of
# the first rounds after the first one (GDI and USER objects: by at most 2;
# memory: by 2 %; see compare below), and at least 7 rounds are run. At the end
# "退出(&C)" must end the program with 0 and the settings must be saved.
# The samples go to build/test-artefacts/zippit-soak.tsv.
# usage: zippit_soak.sh ZIPPIT.EXE PROBE.EXE
. "$(dirname "$0")/lib.sh"

duration=${ZIPPIT_SOAK_SECONDS:-0}
MIN_ROUNDS=7  # rounds 2 to 4 against rounds 5 to 7, where all are quiet
MEMORY_TOLERANCE_PERCENT=2
# Objects held for a moment (a DC while a frame is painted) can be counted
# or not; one leaked per round is still 3 more after three rounds.
OBJECT_TOLERANCE=2
SAMPLES=$ARTEFACTS/zippit-soak.tsv

probe key clear
probe key set-module Zippy.Pkm
probe key set-dword SndUse 1
check "the virtual desktop shows its taskbar" use_shell_desktop
"$WINE" "$PROBE_EXE" stand 100 250 600 700 ZippitStandA >"$WORK/stand-a.log" 2>&1 &
started_pids="$started_pids $!"
"$WINE" "$PROBE_EXE" stand 400 350 950 740 ZippitStandB >"$WORK/stand-b.log" 2>&1 &
started_pids="$started_pids $!"
probe wait ZippitProbeStand 10000 >/dev/null
sleep 1

start_zippit
check "the splash shows" eval 'probe splash 15000 >/dev/null'
check "the splash ends" probe gone '#32770' 15000
info=$(probe wait $MASCOT 10000)
check "the mascot window appears" [ -n "$info" ]
[ -n "$info" ] || finish
hwnd=$(field "$info" hwnd)
linux_pid=$(cat "$WORK/pid.$run_count")
check "its Linux process is known ($linux_pid: $(cat "/proc/$linux_pid/comm" 2>/dev/null))" \
    [ "$(cat "/proc/$linux_pid/comm" 2>/dev/null)" = "Zippit.exe" ]

# Private dirty memory of the Linux process, in KiB: heap, stacks and written
# data (clean pages count as private only while no other process maps them).
linux_private() {
    awk '/^Private_Dirty:/ { sum += $2 } END { print sum + 0 }' "/proc/$linux_pid/smaps_rollup"
}

switch_to() {  # MODULE: through the module settings
    open_dialog $MODULE_LIST "the module settings" $MENU_MODULES
    [ -n "$dialog" ] || return 1
    probe select "$dialog" $MODULE_LIST "$1" >/dev/null
    probe press "$dialog" 1
    dialog_gone
}

round() {
    for title in ZippitStandA ZippitStandB; do
        probe activate "$title" >/dev/null
        sleep 1.5
    done
    # Wine switches the foreground between processes a moment after the
    # call returns: the character's window is awaited, with a deadline.
    probe activate Shell_TrayWnd >/dev/null
    probe gone $MASCOT 10000 || fail "round $rounds: the taskbar in front hides the character"
    probe activate ZippitStandA >/dev/null
    probe wait $MASCOT 10000 >/dev/null || fail "round $rounds: a window in front brings the character back"
    open_dialog $SLIDER "the personality dialog" $MENU_PERSONALITY
    probe keydown "$dialog" 0 $VK_ESCAPE
    dialog_gone || fail "the personality dialog closes"
    open_dialog $USER_NAME "About" $MENU_ABOUT
    probe keydown "$dialog" 0 $VK_RETURN
    dialog_gone || fail "About closes"
    # The popup menu from a right click on the character (WM_NCRBUTTONDOWN
    # on its caption), closed again with Escape.
    probe gone '#32768' 2000 && probe post "$hwnd" 0xA4 2 0 && probe menukeys $VK_ESCAPE
    probe gone '#32768' 3000 || fail "the popup menu closes"
    switch_to Pebble || fail "the switch to Pebble"
    sleep 2
    switch_to Zippy || fail "the switch back to Zippy"
    sleep 2
}

printf 'round\tseconds\tgdi\tuser\tprivate_kib\tlinux_private_dirty_kib\twindows\n' >"$SAMPLES"

# Compares the first samples after the warm-up round with those of the last
# three rounds. Wine's sound output keeps a thread with a window and about
# 1 MiB for a while after a sound (minutes, at times), so only samples taken
# while the program held its fewest windows count: the first three of them
# from round 2 on, before the last three rounds, against those of the last
# three rounds; of each group the smallest, the level the program comes back
# to. Exit 2 when a group has no such sample, 1 when the last level passes
# the first by more than TOLERANCE_PERCENT plus TOLERANCE; prints the figures.
compare() {  # COLUMN TOLERANCE_PERCENT TOLERANCE
    awk -F '\t' -v col="$1" -v tol="$2" -v plus="$3" -v rounds="$rounds" '
        NR == 1 { next }
        { round[NR] = $1; user[NR] = $4; value[NR] = $col; n = NR
          if (fewest == "" || $4 < fewest) fewest = $4
          if ($col > peak) peak = $col }
        END {
            taken = 0
            for (i = 2; i <= n; i++) {
                if (user[i] != fewest || round[i] < 2) continue
                if (round[i] > rounds - 3) {
                    if (last == "" || value[i] < last) last = value[i]
                } else if (taken < 3) {
                    taken++
                    if (taken == 1) from = round[i]
                    to = round[i]
                    if (first == "" || value[i] < first) first = value[i]
                }
            }
            if (first == "" || last == "") exit 2
            printf "%s in the first quiet rounds (%d to %d), %s in the last three, at most %s", first, from, to, last, peak
            exit !(last <= first * (100 + tol) / 100 + plus)
        }' "$SAMPLES"
}

start=$(date +%s)
rounds=0
extra=0  # rounds past the time, while a group has no quiet sample
while :; do
    if [ $(($(date +%s) - start)) -ge "$duration" ] && [ $rounds -ge $MIN_ROUNDS ]; then
        compare 3 0 0 >/dev/null
        [ $? -ne 2 ] || [ $extra -ge 10 ] && break
        extra=$((extra + 1))
    fi
    rounds=$((rounds + 1))
    round
    sample=$(probe resources "$hwnd")
    if [ -z "$sample" ] || [ ! -r "/proc/$linux_pid/smaps_rollup" ]; then
        fail "round $rounds: the program's resources can be read ($sample)"
        break
    fi
    printf '%s\t%s\t%s\t%s\t%s\t%s\t%s\n' $rounds $(($(date +%s) - start)) "$(field "$sample" gdi)" \
        "$(field "$sample" user)" $(($(field "$sample" private) / 1024)) "$(linux_private)" \
        "$(field "$sample" windows)" >>"$SAMPLES"
done
echo "samples ($SAMPLES):"
cat "$SAMPLES"
check "the failures above are none: $failures" [ "$failures" -eq 0 ]
check "there are rounds enough to compare ($rounds)" [ "$rounds" -ge $MIN_ROUNDS ]

flat() {  # COLUMN NAME TOLERANCE_PERCENT TOLERANCE
    verdict=$(compare "$1" "$3" "$4")
    held=$?
    check "$2 stay flat: $verdict" [ $held -eq 0 ]
}
flat 3 "GDI objects" 0 $OBJECT_TOLERANCE
flat 4 "USER objects" 0 $OBJECT_TOLERANCE
flat 5 "private memory (KiB, as the system reports it)" $MEMORY_TOLERANCE_PERCENT 0
flat 6 "private dirty memory of the Linux process (KiB)" $MEMORY_TOLERANCE_PERCENT 0
echo "$rounds rounds in $(($(date +%s) - start)) s"

menu $MENU_EXIT
code=$(wait_exit 15)
check "the program ends with 0 after the soak (got $code)" [ "$code" = 0 ]
saved=$(saved_key)
check "the settings are saved: $saved" eval 'echo "$saved" | grep -q "Module=type1:Zippy.Pkm SndUse=dword:1"'

finish
