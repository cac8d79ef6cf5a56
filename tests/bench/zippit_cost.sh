#!/bin/sh
# What Zippit.exe costs while it animates under wine64, with the default
# character on a plain window:
#   1. CPU time (all its threads, from the scheduler's nanosecond counts in
#      /proc of its Linux process) over SECONDS of wall time, as a share of one core (goal
#      under 1 %), and per frame; the wineserver's CPU time over the same
#      while is shown too. The frames are counted by a relay trace of
#      GetForegroundWindow alone (one line per frame, its cost included).
#   2. In a second run traced with Wine's relay channel (only
#      MsgWaitForMultipleObjects, the frame loop's wait, PeekMessageA and
#      GetForegroundWindow, which the frame tick calls once per frame): waits
#      per frame (goal: one, more only when a message cut one short; no busy
#      loop), turns of the message loop per frame, and the shortest and
#      longest wait asked for.
#   3. Wake-ups per minute of the frame loop's thread (the times the
#      scheduler ran it), SECONDS each: animating, hidden by the hide key
#      (goal 0), and while the session is locked (its notification posted,
#      as Wine cannot lock a session; goal 0).
# A benchmark, not a test: it prints figures and goals, and fails only when
# it cannot measure. Run by scripts/bench.
# usage: zippit_cost.sh ZIPPIT.EXE PROBE.EXE [SECONDS]
. "$(dirname "$0")/../wine/lib.sh"

seconds=${3:-60}
TRACED="user32.MsgWaitForMultipleObjects;user32.PeekMessageA;user32.GetForegroundWindow"
DEBUG_KEY='HKCU\Software\Wine\Debug'

# CPU time of a Linux process so far in nanoseconds, its live threads' sum
# (the scheduler's counts; /proc's tick counts are too coarse for a frame).
cpu_ns() { cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{ sum += $1 } END { printf "%.0f\n", sum }'; }

# The wineserver of this prefix: the one whose environment names it.
wineserver_pid() {
    for pid in $(pgrep -x 'wineserver(64)?'); do
        if tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX"; then
            echo "$pid"
            return
        fi
    done
}

# Starts Zippit.exe on the stand window; sets zippit_pid, its Linux process.
start_on_stand() {
    start_zippit
    probe gone '#32770' 20000 >/dev/null  # the splash
    info=$(probe wait $MASCOT 10000)
    [ -n "$info" ] || { fail "the mascot window appears"; finish; }
    hwnd=$(field "$info" hwnd)
    zippit_pid=$(cat "$WORK/pid.$run_count")
    sleep 3  # past the first frames
}

stop_zippit() {
    menu $MENU_EXIT
    code=$(wait_exit 15)
    check "the program ends with 0 (got $code)" [ "$code" = 0 ]
}

probe key clear
probe key set-module Zippy.Pkm
start_stand 200 300 800 700

# ---- 1. CPU time ----
"$WINE" reg add "$DEBUG_KEY" /v RelayInclude /d "user32.GetForegroundWindow" /f >/dev/null 2>&1
: >"$WORK/zippit.log"
ZIPPIT_WINEDEBUG=+relay
start_on_stand
unset ZIPPIT_WINEDEBUG
server=$(wineserver_pid)
f0=$(wc -l <"$WORK/zippit.log")
z0=$(cpu_ns "$zippit_pid")
s0=$([ -n "$server" ] && cpu_ns "$server" || echo 0)
t0=$(date +%s.%N)
sleep "$seconds"
z1=$(cpu_ns "$zippit_pid")
s1=$([ -n "$server" ] && cpu_ns "$server" || echo 0)
t1=$(date +%s.%N)
f1=$(wc -l <"$WORK/zippit.log")
stop_zippit
counted=$(sed -n "$((f0 + 1)),${f1}p" "$WORK/zippit.log" | grep -c 'Call user32\.GetForegroundWindow')

# ---- 2. Wake-ups per frame ----
"$WINE" reg add "$DEBUG_KEY" /v RelayInclude /d "$TRACED" /f >/dev/null 2>&1
: >"$WORK/zippit.log"
ZIPPIT_WINEDEBUG=+relay
start_on_stand
unset ZIPPIT_WINEDEBUG
from=$(wc -l <"$WORK/zippit.log")
sleep "$seconds"
to=$(wc -l <"$WORK/zippit.log")
stop_zippit
"$WINE" reg delete "$DEBUG_KEY" /v RelayInclude /f >/dev/null 2>&1
sed -n "$((from + 1)),${to}p" "$WORK/zippit.log" >"$WORK/traced.log"

python3 - "$seconds" 1e9 "$z0" "$z1" "$s0" "$s1" "$t0" "$t1" "$WORK/traced.log" "$counted" <<'PY'
import re, sys
seconds, unit = float(sys.argv[1]), float(sys.argv[2])
z0, z1, s0, s1 = (float(v) for v in sys.argv[3:7])
wall = float(sys.argv[8]) - float(sys.argv[7])
names = ("MsgWaitForMultipleObjects", "PeekMessageA", "GetForegroundWindow")
traced = []  # (thread, function, arguments)
for line in open(sys.argv[9], errors="replace"):
    m = re.match(r"([0-9a-f]+):Call user32\.(\w+)\(([0-9a-f,]*)", line)
    if m and m.group(2) in names:
        traced.append(m.groups())
# Only the frame loop's thread, the one that runs the frames: the system's
# sound player waits on threads of its own.
frame_threads = [t for t, name, _ in traced if name == "GetForegroundWindow"]
main = max(set(frame_threads), key=frame_threads.count) if frame_threads else None
calls = dict.fromkeys(names, 0)
waits = []
for thread, name, args in traced:
    if thread != main:
        continue
    calls[name] += 1
    if name == "MsgWaitForMultipleObjects":
        waits.append(int(args.split(",")[3], 16))  # the time limit, the fourth argument
frames = calls["GetForegroundWindow"]
cpu = (z1 - z0) / unit
server = (s1 - s0) / unit
counted = int(sys.argv[10])
print(f"Zippit.exe CPU time:  {cpu:.2f} s over {wall:.1f} s = {100 * cpu / wall:.2f} % of one core (goal < 1 %)")
if counted:
    print(f"                      {counted} frames = {1000 * cpu / counted:.2f} ms of CPU per frame")
print(f"wineserver meanwhile: {server:.2f} s = {100 * server / wall:.2f} % of one core")
if frames == 0:
    print("no frames traced")
    sys.exit(1)
print(f"traced {seconds:.0f} s: {frames} frames ({frames / seconds:.1f} per second), "
      f"{calls['MsgWaitForMultipleObjects']} waits = {calls['MsgWaitForMultipleObjects'] / frames:.2f} per frame "
      f"(goal 1, more only for messages), "
      f"{calls['PeekMessageA']} message loop turns = {calls['PeekMessageA'] / frames:.2f} per frame "
      f"(two without messages); waits of {min(waits, default=0)} to {max(waits, default=0)} ms")
PY
[ $? -eq 0 ] || fail "the figures could be measured"

# ---- 3. Wake-ups: animating, hidden, locked ----
# The Linux thread that runs the frame loop is the process's first; the
# third number of its schedstat counts the times it was run.
runs() { awk '{ print $3 }' "/proc/$zippit_pid/task/$zippit_pid/schedstat"; }
per_minute() { awk -v n="$(($2 - $1))" -v s="$seconds" 'BEGIN { printf "%.1f", 60 * n / s }'; }
HIDE_KEY="0x11 0x12 0x5A"  # Ctrl+Alt+Z
shown() { probe wait $MASCOT 10000 >/dev/null; }
start_on_stand
a0=$(runs); sleep "$seconds"; a1=$(runs)
probe chord $HIDE_KEY
check "the hide key hides the character" probe gone $MASCOT 10000
h0=$(runs); sleep "$seconds"; h1=$(runs)
probe chord $HIDE_KEY
check "the hide key brings it back" shown
probe post "$hwnd" 0x2B1 7 0  # WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK
check "the lock hides the character" probe gone $MASCOT 10000
l0=$(runs); sleep "$seconds"; l1=$(runs)
probe post "$hwnd" 0x2B1 8 0  # WTS_SESSION_UNLOCK
check "the unlock brings it back" shown
stop_zippit
echo "frame loop's thread woken, per minute: $(per_minute "$a0" "$a1") animating," \
    "$(per_minute "$h0" "$h1") hidden by the hide key, $(per_minute "$l0" "$l1") locked (goal 0 and 0)"
finish
