#!/bin/sh
# Soak check of one character: zippit-sim runs MODULE for $ZIPPIT_SOAK_FRAMES
# frames (default 100000) and for a tenth of that. Both runs must end with
# status 0 and write nothing to stderr (under the sanitizers: no error, no
# leak), and the peak memory (max RSS) of the long run must be within 1 % of
# the short one's.
#   soak-check.sh PROGRAM MODULE WORK_DIR
# The sanitizers keep freed blocks in a quarantine to catch late use; it is
# held to 16 MiB so that it fills early and does not hide what the program
# itself holds. Address-space randomization is off for the runs (setarch -R):
# it moves the heap and the libraries by a few pages from run to run, which
# alone swings the peak by a few percent.
set -u
program=$1
module=$2
work=$3
frames=${ZIPPIT_SOAK_FRAMES:-100000}
short=$((frames / 10))
name=$(basename "$module" .Pkm)
mkdir -p "$work"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:quarantine_size_mb=16
export UBSAN_OPTIONS=print_stacktrace=1

# Runs N frames; prints the peak in KiB, or fails with the reason.
peak() {
    err=$work/$name-$1.err
    if ! setarch "$(uname -m)" -R /usr/bin/time -f '%M' -o "$err.rss" "$program" "$module" --frames "$1" \
        >/dev/null 2>"$err"; then
        echo "soak $name: the run of $1 frames failed:" >&2
        head -30 "$err" >&2
        return 1
    fi
    if [ -s "$err" ]; then
        echo "soak $name: the run of $1 frames reported errors:" >&2
        head -30 "$err" >&2
        return 1
    fi
    tail -1 "$err.rss"
}

a=$(peak "$short") || exit 1
b=$(peak "$frames") || exit 1
if [ $((b * 100)) -le $((a * 101)) ]; then verdict=flat; status=0; else verdict="GREW more than 1 %"; status=1; fi
echo "soak $name: $frames frames clean; peak $a KiB after $short frames, $b KiB after $frames: $verdict"
exit $status
