#!/usr/bin/env bash
# Long fuzzing: runs every fuzz target for SECONDS (default 60) over its kept
# corpus (fuzz/corpus/{target}) and its hand-made seeds, merges what the run
# found back into the kept corpus (minimised: only inputs that add coverage,
# smallest first), and prints per target the executions, the coverage, the
# crashes (crashes, leaks, timeouts and out-of-memory inputs, kept in
# build-fuzz/fuzz-runs/{target}/artifacts/) and the resident memory early in
# the run, at its end and at its peak.
#
#   scripts/fuzz.sh [SECONDS] [TARGET...]
#
# FUZZ_TIMEOUT (seconds, default 1) is the longest one input may take.
# Targets run one after the other: the machine's cores are shared.
set -euo pipefail
cd "$(dirname "$0")/.."

SECONDS_EACH=${1:-60}
shift || true
TIMEOUT=${FUZZ_TIMEOUT:-1}
BUILD=${FUZZ_BUILD:-build-fuzz}

CC=clang CXX=clang++ cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DKFD_FUZZ=ON >/dev/null
cmake --build "$BUILD" -j "${JOBS:-2}" >/dev/null

if [ $# -gt 0 ]; then
    targets=("$@")
else
    mapfile -t targets < <(find "$BUILD/fuzz" -type f -executable -name 'fuzz_*' -printf '%f\n' | sort)
fi

rss_kb() { awk '/^VmRSS:/ { print $2 }' "/proc/$1/status" 2>/dev/null || true; }
mb() { echo $(( ($1 + 512) / 1024 )); }

results=()
status=0
for name in "${targets[@]}"; do
    bin=$(find "$BUILD/fuzz" -type f -executable -name "$name" | head -n 1)
    [ -n "$bin" ] || { echo "no fuzz target $name" >&2; exit 2; }
    corpus=fuzz/corpus/$name
    seeds=$(find fuzz -path "*/seeds/$name" -type d | head -n 1)
    work=$BUILD/fuzz-runs/$name
    rm -rf "$work"
    mkdir -p "$corpus" "$work/new" "$work/artifacts" "$work/merged"
    echo "=== $name: ${SECONDS_EACH}s over $(ls "$corpus" | wc -l) kept inputs ${seeds:+and the seeds}"

    QT_QPA_PLATFORM=offscreen "$bin" -max_total_time="$SECONDS_EACH" -timeout="$TIMEOUT" \
        -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$work/artifacts/" \
        "$work/new" "$corpus" ${seeds:+"$seeds"} >"$work/run.log" 2>&1 &
    pid=$!
    # Resident memory every 2 s: the first sample after a quarter of the run
    # (the corpus loaded, the sanitizer's hold-back filled) against the last.
    start=$(date +%s) early="" last=0 peak=0
    while kill -0 "$pid" 2>/dev/null; do
        kb=$(rss_kb "$pid")
        if [ -n "$kb" ] && [ "$kb" -gt 0 ]; then
            last=$kb
            [ "$kb" -gt "$peak" ] && peak=$kb
            if [ -z "$early" ] && [ $(( $(date +%s) - start )) -ge $(( SECONDS_EACH / 4 )) ]; then
                early=$kb
            fi
        fi
        sleep 2
    done
    wait "$pid" || true

    execs=$(awk '/stat::number_of_executed_units/ { print $2 }' "$work/run.log" | tail -n 1)
    line=$(grep -E '(NEW|REDUCE|pulse|INITED|DONE) +cov:' "$work/run.log" | tail -n 1 || true)
    cov=$(sed -nE 's/.*cov: ([0-9]+).*/\1/p' <<<"$line")
    ft=$(sed -nE 's/.*ft: ([0-9]+).*/\1/p' <<<"$line")
    # A timeout on a busy machine may be the machine: each one is run again
    # alone, and its time is shown.
    for t in "$work/artifacts"/timeout-*; do
        [ -e "$t" ] || continue
        ms=$("$bin" -runs=1 "$t" 2>&1 | sed -nE 's/^Executed .* in ([0-9]+) ms$/\1/p')
        echo "$name: $(basename "$t") takes ${ms:-?} ms when run again alone"
    done
    artifacts=$(find "$work/artifacts" -type f | wc -l)
    kinds=$(find "$work/artifacts" -type f -printf '%f\n' | sed -E 's/-.*//' | sort | uniq -c |
        awk '{ printf "%s%s %s", (NR > 1 ? ", " : ""), $1, $2 }')
    [ "$artifacts" -eq 0 ] || status=1

    # Merge: the seeds go in first so that only what they do not cover is kept.
    if [ -n "$seeds" ]; then cp "$seeds"/* "$work/merged/"; fi
    QT_QPA_PLATFORM=offscreen "$bin" -merge=1 -timeout="$TIMEOUT" -rss_limit_mb=2048 \
        -artifact_prefix="$work/artifacts/" "$work/merged" "$corpus" "$work/new" \
        >"$work/merge.log" 2>&1 || { echo "merge of $name failed: $work/merge.log" >&2; status=1; continue; }
    if [ -n "$seeds" ]; then
        for f in "$seeds"/*; do rm -f "$work/merged/$(basename "$f")"; done
    fi
    find "$corpus" -type f -delete
    find "$work/merged" -type f -exec mv {} "$corpus/" \;
    kept=$(ls "$corpus" | wc -l)
    size=$(du -sk "$corpus" | cut -f1)

    results+=("$(printf '%-20s %10s %7s %7s %8s %7s %9s %9s %9s  %s' "$name" "${execs:-?}" \
        "${cov:-?}" "${ft:-?}" "$kept" "${size}K" "$(mb "${early:-$last}")M" "$(mb "$last")M" \
        "$(mb "$peak")M" "${kinds:-none}")")
done

echo
printf '%-20s %10s %7s %7s %8s %7s %9s %9s %9s  %s\n' target executions cov features corpus size \
    rss-early rss-end rss-peak crashes
printf '%s\n' "${results[@]}"
exit $status
