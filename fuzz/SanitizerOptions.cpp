// Sanitizer settings of every fuzz target, however it is started (CTest,
// scripts/fuzz.sh or by hand); ASAN_OPTIONS and LSAN_OPTIONS still override.
//
// Leaks are looked for after every new input. AddressSanitizer holds freed
// blocks back (256 MB by default) to catch late uses, and every block size
// keeps the most memory it ever held: as the held-back blocks drift between
// sizes over millions of inputs of changing lengths, the process grew past a
// gigabyte with nothing leaked. A 1 MB hold-back still catches a use soon
// after a free, within the input that freed the block; large blocks are
// unmapped when they leave it, so a later use of one still faults.
extern "C" const char* __asan_default_options() {
    return "detect_leaks=1:quarantine_size_mb=1:allocator_release_to_os_interval_ms=500";
}

// Allocations Qt's platform plugins and fontconfig keep for the process life.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig\nleak:libQt6Gui\nleak:libQt6Core\nleak:libdbus\n";
}
