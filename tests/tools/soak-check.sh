#!/bin/sh
# Soak check of one character: zippit-sim runs MODULE for $ZIPPIT_SOAK_FRAMES
# frames (default 100000), which must end with status 0 and write nothing to
# stderr (under the sanitizers: no error, no leak). Then the peak memory (max
# RSS) of a run of that many frames must be within PERCENT (default 1) of a
# run of a tenth; PERCENT "none" skips that comparison, as the sanitized build
# does: there the allocator's quarantine and bookkeeping move the resident
# size by a few percent for reasons of their own (once 2.2 % on a fresh
# machine), so LeakSanitizer alone judges leaks.
#   soak-check.sh PROGRAM MODULE WORK_DIR [PERCENT]
# Address-space randomization is off for every run (setarch -R): it
# moves the heap and the libraries by a few pages from run to run, which
# alone swings the peak by a few percent.
set -u
program=$1
module=$2
work=$3
percent=${4:-1}
frames=${ZIPPIT_SOAK_FRAMES:-100000}
short=$((frames / 10))
name=$(basename "$module" .Pkm)
mkdir -p "$work"
checks=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1

# Runs N frames with ASAN_OPTIONS as given; prints the peak in KiB, or fails
# with the reason.
peak() {
    err=$work/$name-$1.err
    if ! ASAN_OPTIONS=$2 setarch "$(uname -m)" -R /usr/bin/time -f '%M' -o "$err.rss" \
        "$program" "$module" --frames "$1" >/dev/null 2>"$err"; then
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

b=$(peak "$frames" "$checks") || exit 1
if [ "$percent" = none ]; then
    echo "soak $name: $frames frames clean (no error, no leak; the peak is not compared)"
    exit 0
fi
a=$(peak "$short" "$checks") || exit 1
if [ $((b * 100)) -le $((a * (100 + percent))) ]; then verdict="flat (within $percent %)"; status=0
else verdict="GREW more than $percent %"; status=1; fi
echo "soak $name: $frames frames clean; peak $a KiB after $short frames, $b KiB after $frames: $verdict"
exit $status
