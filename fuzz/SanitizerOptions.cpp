// Sanitizer settings of every fuzz target, however it is started (CTest,
// scripts/fuzz.sh or by hand); ASAN_OPTIONS and LSAN_OPTIONS still override.
//
// Leaks are looked for after every new input.
//
// Memory: the call stack of every allocation is stored once, for good, in the
// sanitizer's stack depot. Qt's libraries are built without frame pointers,
// so past the first two frames the fast unwinder takes stale stack words for
// return addresses: almost every allocation made inside Qt gave a new
// "stack", and the depot grew with the number of inputs (past a gigabyte in
// minutes, with nothing leaked). The first two frames, the allocating call
// and its caller, are true. Freed blocks are held back 16 MB deep rather than
// 256 MB to catch late uses, and idle pages go back to the system, which keeps
// a run near 100 MB on a shared machine.
extern "C" const char* __asan_default_options() {
    return "detect_leaks=1:malloc_context_size=2:quarantine_size_mb=16:"
           "allocator_release_to_os_interval_ms=500";
}

// Allocations Qt's platform plugins and fontconfig keep for the process life.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig\nleak:libQt6Gui\nleak:libQt6Core\nleak:libdbus\n";
}
