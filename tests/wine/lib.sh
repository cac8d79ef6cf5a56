# Shared part of the scripts that drive the real Zippit.exe under wine64:
# the Wine environment of the test run, a fresh working folder holding the
# character modules, starting and stopping the program, the probe helper,
# checks that count failures, the mascot's menu and dialogs, the virtual
# desktop with its real taskbar, and clean-up of everything started.
# Sourced by the scripts; they are run as: SCRIPT ZIPPIT.EXE PROBE.EXE.
set -u

ZIPPIT_EXE=$1
PROBE_EXE=$2
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
NAME=$(basename "$0" .sh)
ARTEFACTS=$ROOT/build/test-artefacts
failures=0
started_pids=""

env_file=${ZIPPIT_WINE_ENV:-$ROOT/build/wine/env}
if [ ! -f "$env_file" ]; then
    echo "FAIL: no Wine environment ($env_file); run scripts/wine-env first" >&2
    exit 1
fi
. "$env_file"
if [ ! -f "$ROOT/dist/modules/Zippy.Pkm" ]; then
    echo "FAIL: dist/modules/Zippy.Pkm is missing: the native build makes it (scripts/run or scripts/test)" >&2
    exit 1
fi

# The program runs in a folder of its own with the modules, as installed.
WORK=$ROOT/build/wine-tests/$NAME
rm -rf "$WORK"
mkdir -p "$WORK" "$ARTEFACTS"
cp "$ROOT/dist/modules/Zippy.Pkm" "$ROOT/dist/modules/Pebble.Pkm" "$WORK/"
cd "$WORK" || exit 1

ok() { echo "ok: $*"; }
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
check() {  # DESCRIPTION, then a command that must succeed
    check_what=$1
    shift
    if "$@"; then ok "$check_what"; else fail "$check_what"; fi
}

# Runs the probe; its output without the CR of its CR LF line ends, its exit code kept.
probe() {
    probe_out=$("$WINE" "$PROBE_EXE" "$@")
    probe_rc=$?
    [ -n "$probe_out" ] && printf '%s\n' "$probe_out" | tr -d '\r'
    return $probe_rc
}

# A field of a probe info line: field LINE NAME
field() { echo "$1" | tr ' ' '\n' | sed -n "s/^$2=//p" | head -1; }

# Starts Zippit.exe in the background; its exit code lands in $WORK/exit.N.
# With ZIPPIT_LOCALE set (zh_TW.UTF-8, en_US.UTF-8) it runs under that
# locale, so under its code page (950, 1252).
run_count=0
start_zippit() {
    run_count=$((run_count + 1))
    exit_file=$WORK/exit.$run_count
    rm -f "$exit_file" "$WORK/pid.$run_count"
    (
        if [ -n "${ZIPPIT_LOCALE:-}" ]; then export LANG=$ZIPPIT_LOCALE LC_ALL=$ZIPPIT_LOCALE; fi
        WINEDEBUG=${ZIPPIT_WINEDEBUG:-$WINEDEBUG} "$WINE" "$ZIPPIT_EXE" >>"$WORK/zippit.log" 2>&1 &
        echo $! >"$WORK/pid.$run_count"
        wait $!
        echo $? >"$exit_file"
    ) &
    last_exit_file=$exit_file
}

# Waits up to SECONDS for the last started Zippit.exe to end; prints its exit code.
wait_exit() {
    i=0
    while [ ! -s "$last_exit_file" ]; do
        i=$((i + 1))
        if [ "$i" -gt $(($1 * 10)) ]; then echo "timeout"; return 1; fi
        sleep 0.1
    done
    cat "$last_exit_file"
}

# A plain window at L T R B for the mascot to stand on.
start_stand() {
    "$WINE" "$PROBE_EXE" stand "$1" "$2" "$3" "$4" ZippitStand >"$WORK/stand.log" 2>&1 &
    started_pids="$started_pids $!"
    probe wait ZippitProbeStand 10000 >/dev/null
}

# From here on every Wine program of the script (Zippit.exe, the probe, the
# stand windows) runs inside Wine's virtual desktop "shell" of the screen's
# size, as explorer /desktop=shell,1024x768 opens it: Wine frames the windows
# itself and shows a real taskbar (class Shell_TrayWnd, only on a desktop of
# that name) with its tray. The prefix's default desktop names it; cleanup
# names none again, so the next script runs on the plain display.
SHELL_DESKTOP=0
use_shell_desktop() {
    "$WINE" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v shell /t REG_SZ /d 1024x768 /f >/dev/null 2>&1 &&
        "$WINE" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /t REG_SZ /d shell /f >/dev/null 2>&1 || return 1
    SHELL_DESKTOP=1
    # Wine closes the desktop once its last program has ended. The launcher
    # of explorer (Wine's start.exe, on the desktop too) waits for it, so it
    # is one of the programs cleanup ends.
    "$WINE" explorer /desktop=shell,1024x768 >/dev/null 2>&1 &
    started_pids="$started_pids $!"
    probe wait Shell_TrayWnd 30000 >/dev/null
}

# The product key's values, one line each, sorted, on one line; read again
# for a few seconds while it reads empty (once a run read it empty right
# after the program had ended).
saved_key() {
    i=0
    values=$(probe key dump | sort | tr '\n' ' ')
    while [ -z "$values" ] && [ $i -lt 20 ]; do
        sleep 0.25
        values=$(probe key dump | sort | tr '\n' ' ')
        i=$((i + 1))
    done
    echo "$values"
}

# ---- The mascot's menu and dialogs (the script sets hwnd to the mascot window) ----
MASCOT=PK32MainWClass
# Virtual keys and the dialogs' control ids.
VK_RETURN=0x0D
VK_ESCAPE=0x1B
VK_END=0x23
VK_UP=0x26
VK_DOWN=0x28
SLIDER=1003
SOUND_BOX=1005
MODULE_LIST=1019
RUNNING_MODULE=1020
USER_NAME=1021
DELETE_BUTTON=3

# Opens the popup menu from the tray icon and chooses an entry by the keys
# of the menu's own keyboard handling. The entries, top to bottom: 帮助,
# 关于, -, 邮件设置 (grey), 性格设置, 组件设置, -, 运行文件 (grey), -, 退出.
menu() {  # KEYS...
    probe gone '#32768' 2000 || return 1
    probe post "$hwnd" 0x400 0 0x204 || return 1
    probe menukeys "$@" || return 1
    probe gone '#32768' 3000
}
MENU_ABOUT="0x41"                # the mnemonic A
MENU_PERSONALITY="0x53"          # the mnemonic S
MENU_EXIT="0x43"                 # the mnemonic C
MENU_MODULES="$VK_UP $VK_UP $VK_UP $VK_RETURN"  # its mnemonic M is also the grey mail entry's

# Waits for the dialog holding control ID; sets $dialog (empty on a timeout).
open_dialog() {  # ID DESCRIPTION, then the menu keys
    id=$1
    what=$2
    shift 2
    dialog=""
    menu "$@"
    info=$(probe dialog "$id" 5000)
    dialog=$(field "$info" hwnd)
    check "the menu opens $what" [ -n "$dialog" ]
}

# Waits up to 3 s for the dialog $dialog to end.
dialog_gone() {
    [ -n "$dialog" ] || return 1
    i=0
    while probe text "$dialog" 2 >/dev/null 2>&1 || probe text "$dialog" 1 >/dev/null 2>&1; do
        i=$((i + 1))
        [ $i -gt 30 ] && return 1
        sleep 0.1
    done
    return 0
}

# Ends what the script started (by process id) and forgets the product key.
cleanup() {
    for pid in $started_pids; do
        kill "$pid" 2>/dev/null || true
    done
    n=1
    while [ "$n" -le "$run_count" ]; do
        # Only a copy still running: its exit code has not been written.
        if [ -f "$WORK/pid.$n" ] && [ ! -s "$WORK/exit.$n" ]; then kill "$(cat "$WORK/pid.$n")" 2>/dev/null || true; fi
        n=$((n + 1))
    done
    "$WINE" "$PROBE_EXE" key clear >/dev/null 2>&1 || true
    if [ "$SHELL_DESKTOP" = 1 ]; then
        "$WINE" reg delete 'HKCU\Software\Wine\Explorer' /v Desktop /f >/dev/null 2>&1 || true
        # Its window covers the display until Wine has closed it.
        n=0
        while [ $n -lt 100 ] && xwininfo -root -children 2>/dev/null | grep -q '"shell - Wine desktop"'; do
            sleep 0.1
            n=$((n + 1))
        done
    fi
}
trap cleanup EXIT INT TERM

finish() {
    if [ "$failures" -eq 0 ]; then
        echo "$NAME: all checks passed"
        exit 0
    fi
    echo "$NAME: $failures check(s) failed"
    exit 1
}
