#!/bin/sh
# Runs one fuzz target for $ZIPPIT_FUZZ_SECONDS seconds (default 30) and
# prints one summary line: runs, coverage, corpus size, findings.
#   run-target.sh NAME PROGRAM SEED_DIR WORK_DIR
# New inputs go to WORK_DIR/corpus/NAME (the seeds in the repo stay as they
# are); a crashing input is saved as WORK_DIR/crashes/NAME-crash-... and the
# full libFuzzer output as WORK_DIR/NAME.log. Exit 0 only when nothing was found.
set -u
name=$1
program=$2
seeds=$3
work=$4
seconds=${ZIPPIT_FUZZ_SECONDS:-30}
mkdir -p "$work/corpus/$name" "$work/crashes"
log=$work/$name.log

# -timeout: an input that takes 10 s is a hang; -rss_limit_mb: one that
# needs a gigabyte is a finding too.
"$program" -max_total_time="$seconds" -print_final_stats=1 -timeout=10 -rss_limit_mb=1024 \
    -artifact_prefix="$work/crashes/$name-" "$work/corpus/$name" "$seeds" >"$log" 2>&1
status=$?

runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
last=$(grep -E '^#[0-9]+' "$log" | tail -1)
cov=$(echo "$last" | sed -n 's/.* cov: \([0-9]*\).*/\1/p')
features=$(echo "$last" | sed -n 's/.* ft: \([0-9]*\).*/\1/p')
corpus=$(echo "$last" | sed -n 's/.* corp: \([0-9]*\).*/\1/p')
edges=$(sed -n 's/.*(\([0-9]*\) inline 8-bit counters).*/\1/p' "$log" | head -1)
echo "fuzz $name: ${seconds}s, ${runs:-?} runs, coverage ${cov:-?} of ${edges:-?} edges, ${features:-?} features, corpus ${corpus:-?}, exit $status"
if [ "$status" -ne 0 ]; then
    grep -E 'ERROR|fuzz check failed|SUMMARY|Test unit written|runtime error' "$log" | head -20
    echo "full output: $log"
fi
exit "$status"
