// Sanitizer settings of every fuzz target, however it is started (CTest,
// scripts/fuzz.sh or by hand); ASAN_OPTIONS and LSAN_OPTIONS still override.
//
// Leaks are looked for after every new input. AddressSanitizer holds freed
// blocks back (256 MB by default) to catch late uses, and keeps the memory of
// every block size it has once held: over millions of inputs of changing
// sizes the process grew past a gigabyte with nothing leaked. A small hold-back
// still catches a use right after a free (the targets free and reuse within
// one input), and idle pages go back to the system.
extern "C" const char* __asan_default_options() {
    return "detect_leaks=1:quarantine_size_mb=16:allocator_release_to_os_interval_ms=500";
}

// Allocations Qt's platform plugins and fontconfig keep for the process life.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig\nleak:libQt6Gui\nleak:libQt6Core\nleak:libdbus\n";
}
