#!/usr/bin/env bash
# Builds the fuzz targets and runs each over its seed corpus for a bounded
# time (QB_FUZZ_SECONDS, 20 by default).  New inputs go to a scratch folder,
# never into the repository; a crash leaves its input in build-fuzz/findings/
# and fails the script.  Keep a fixed crash in fuzz/regressions/<target>/.
#
# QB_FUZZ_RUNS caps the number of inputs per target and QB_FUZZ_SEED fixes the
# random seed; with both set, a run explores the same inputs every time, which
# is what CI wants (a red build must be reproducible, not a roll of the dice).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${QB_FUZZ_SECONDS:-20}
runs=${QB_FUZZ_RUNS:--1}
seed=${QB_FUZZ_SEED:-0}
dir=${QB_FUZZ_BUILD_DIR:-build-fuzz}
bash fuzz/build.sh
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions=$(pwd)/tests/hardening/lsan.supp:print_suppressions=0
status=0
for target in ${QB_FUZZ_TARGETS:-response iso8601 inifilter methodcall workbook}; do
    work="$dir/work/$target"
    findings="$dir/findings/$target"
    mkdir -p "$work" "$findings"
    dict=()
    [[ -f fuzz/dict/$target.dict ]] && dict=(-dict="fuzz/dict/$target.dict")
    # A scratch corpus left by an earlier run would change what a seeded run explores.
    if [[ $seed != 0 ]]; then rm -rf "$work" && mkdir -p "$work"; fi
    echo "== $target: ${seconds}s, runs $runs, seed $seed"
    if ! "$dir/fuzz_$target" -max_total_time="$seconds" -runs="$runs" -seed="$seed" \
        -timeout=10 -rss_limit_mb=4096 -max_len=65536 -print_final_stats=1 -artifact_prefix="$findings/" "${dict[@]}" \
        "$work" "fuzz/corpus/$target" "fuzz/regressions/$target" 2>"$dir/$target.log"; then
        status=1
        tail -n 60 "$dir/$target.log"
        echo "== $target: FAILED, input kept in $findings"
    else
        grep -E '^stat::(number_of_executed_units|new_units_added|peak_rss_mb)' "$dir/$target.log" || true
    fi
done
exit $status
