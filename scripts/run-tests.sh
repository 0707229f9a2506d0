#!/usr/bin/env bash
# Builds and runs every test: the suite with the package checks, the same suite
# under AddressSanitizer and UBSan, and each fuzz target for a short while.
# Warnings are errors in every build here (and so in CI).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh test

JOBS=$(nproc)
FUZZ_SECONDS=${FUZZ_SECONDS:-5}
status=0

run_suite() { # dir, label, extra ctest args...
    local dir=$1 label=$2
    shift 2
    echo "=== $label ==="
    (cd "$dir" && ctest --output-on-failure -j "$JOBS" "$@") || status=1
}

# The suite, the real-window tests and the Debian package's checks (package_*:
# built with cpack, lintian, desktop-file-validate, appstreamcli, then unpacked
# and started under Xvfb).
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKFD_WERROR=ON \
    -DKFD_TESTS=ON -DKFD_REALWINDOW_TESTS=ON -DKFD_PACKAGE_TESTS=ON >/dev/null
cmake --build build -j "$JOBS"
run_suite build "test suite and package checks"

# Each benchmark program, briefly. A crash, or a figure that cannot be
# measured, fails the run; a missed target is only printed: these machines
# are noisy, and targets are judged on a quiet full run (README).
echo "=== benchmarks (brief run) ==="
cmake -S . -B build -DKFD_BENCH=ON >/dev/null
cmake --build build -j "$JOBS"
while IFS= read -r bench; do
    [ -n "$bench" ] || continue
    rc=0
    QT_QPA_PLATFORM=offscreen "$bench" --benchmark_min_time=0.05 </dev/null || rc=$?
    case $rc in
    0) ;;
    1) echo "$(basename "$bench"): a target was missed in this brief run (not a failure here)" ;;
    *) echo "$(basename "$bench"): FAILED (exit status $rc)"; status=1 ;;
    esac
done <build/bench/programs.txt

cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKFD_SANITIZE=ON -DKFD_WERROR=ON \
    -DKFD_TESTS=ON -DKFD_PACKAGE_TESTS=OFF >/dev/null
cmake --build build-asan -j "$JOBS"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    LSAN_OPTIONS=suppressions=$PWD/scripts/lsan.supp \
    run_suite build-asan "test suite under AddressSanitizer and UBSan" -LE realwindow

# --- ThreadSanitizer: the localisation tests only (Qt asks for its texts on any thread).
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKFD_TSAN=ON -DKFD_WERROR=ON \
    -DKFD_TESTS=ON -DKFD_REALWINDOW_TESTS=OFF -DKFD_PACKAGE_TESTS=OFF >/dev/null
cmake --build build-tsan -j "$JOBS" --target localisation_core_tests localisation_thread_tests
TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 \
    run_suite build-tsan "localisation tests under ThreadSanitizer" \
    -R '^(ConcurrentLookup|TranslatorTest|MoFile|FileLocator)'
# --- end of ThreadSanitizer

CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DKFD_FUZZ=ON -DKFD_WERROR=ON -DKFD_FUZZ_SECONDS="$FUZZ_SECONDS" >/dev/null
cmake --build build-fuzz -j "$JOBS"
ASAN_OPTIONS=detect_leaks=1 run_suite build-fuzz "fuzz targets (${FUZZ_SECONDS}s each)"

if [ $status -eq 0 ]; then echo "All test runs passed."; else echo "Some test runs FAILED."; fi
exit $status
