#!/usr/bin/env bash
# Builds and runs every test: the suite, the same suite under AddressSanitizer
# and UBSan, and each fuzz target for a short while.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh

JOBS=$(nproc)
FUZZ_SECONDS=${FUZZ_SECONDS:-5}
status=0

run_suite() { # dir, label, extra ctest args...
    local dir=$1 label=$2
    shift 2
    echo "=== $label ==="
    (cd "$dir" && ctest --output-on-failure -j "$JOBS" "$@") || status=1
}

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$JOBS"
run_suite build "test suite"

cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKFD_SANITIZE=ON >/dev/null
cmake --build build-asan -j "$JOBS"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    LSAN_OPTIONS=suppressions=$PWD/scripts/lsan.supp \
    run_suite build-asan "test suite under AddressSanitizer and UBSan" -LE realwindow

CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DKFD_FUZZ=ON -DKFD_FUZZ_SECONDS="$FUZZ_SECONDS" >/dev/null
cmake --build build-fuzz -j "$JOBS"
ASAN_OPTIONS=detect_leaks=1 run_suite build-fuzz "fuzz targets (${FUZZ_SECONDS}s each)"

if [ $status -eq 0 ]; then echo "All test runs passed."; else echo "Some test runs FAILED."; fi
exit $status
