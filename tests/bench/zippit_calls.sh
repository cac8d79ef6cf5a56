#!/bin/sh
# Where a frame of Zippit.exe goes under wine64: SECONDS of the default
# character on a plain window traced with Wine's relay channel over USER32 and
# GDI32, then the calls the frame loop's thread made, per frame (a frame
# being one GetForegroundWindow, which the frame tick calls once), most
# frequent first. The relay trace itself slows every traced call, so the
# figures are counts, never times. A benchmark, never a test.
# usage: zippit_calls.sh ZIPPIT.EXE PROBE.EXE [SECONDS]
. "$(dirname "$0")/../wine/lib.sh"

seconds=${3:-20}
DEBUG_KEY='HKCU\Software\Wine\Debug'

probe key clear
probe key set-module Zippy.Pkm
start_stand 200 300 800 700
"$WINE" reg add "$DEBUG_KEY" /v RelayInclude /d "user32.*;gdi32.*" /f >/dev/null 2>&1
: >"$WORK/zippit.log"
ZIPPIT_WINEDEBUG=+relay
start_zippit
unset ZIPPIT_WINEDEBUG
probe gone '#32770' 30000 >/dev/null  # the splash
info=$(probe wait $MASCOT 10000)
[ -n "$info" ] || { fail "the mascot window appears"; finish; }
hwnd=$(field "$info" hwnd)
sleep 3  # past the first frames
from=$(wc -l <"$WORK/zippit.log")
sleep "$seconds"
to=$(wc -l <"$WORK/zippit.log")
menu $MENU_EXIT
wait_exit 30 >/dev/null
"$WINE" reg delete "$DEBUG_KEY" /v RelayInclude /f >/dev/null 2>&1
sed -n "$((from + 1)),${to}p" "$WORK/zippit.log" >"$WORK/traced.log"

python3 - "$WORK/traced.log" <<'PY'
import collections, re, sys
calls = []  # (thread, dll.function), top-level calls only
depth = collections.Counter()
for line in open(sys.argv[1], errors="replace"):
    m = re.match(r"([0-9a-f]+):(Call|Ret) +(\w+\.\w+)", line)
    if not m:
        continue
    thread, kind, name = m.groups()
    if kind == "Call":
        if depth[thread] == 0:
            calls.append((thread, name))
        depth[thread] += 1
    else:
        depth[thread] = max(0, depth[thread] - 1)
frames = collections.Counter(t for t, name in calls if name == "user32.GetForegroundWindow")
if not frames:
    print("no frames traced")
    sys.exit(1)
main, count = frames.most_common(1)[0]
per = collections.Counter(name for t, name in calls if t == main)
print(f"{count} frames; top-level USER32 and GDI32 calls of the frame loop's thread per frame:")
for name, n in per.most_common():
    print(f"  {n / count:6.2f}  {name}")
PY
finish
