#pragma once

#include <benchmark/benchmark.h>

#include <QString>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

// Runs the registered benchmarks side by side and prints, for each pair, the
// ratio of the measured operation to its baseline and whether it meets its
// target. CPU time per iteration is compared: the work is single-threaded, and
// CPU time does not count time lost to other programs on a busy machine.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& r : runs)
            if (r.run_type == Run::RT_Iteration && !r.error_occurred && r.iterations > 0)
                Times[r.run_name.function_name] = r.GetAdjustedCPUTime();
    }
    std::map<std::string, double> Times;
};

struct RatioTarget {
    const char* Label;
    const char* Measured;
    const char* Baseline;
    double Max;
    // Printed for information only: no target, and it never fails the run.
    bool Informational = false;
};

// Exit statuses of a benchmark program.
inline constexpr int TargetsMet = 0;
inline constexpr int TargetMissed = 1;
// A figure could not be measured at all: a fault, not a slow machine.
inline constexpr int NotMeasured = 2;

// Whether the command line sets the minimum time itself (a brief run): then
// no benchmark may insist on a longer one of its own.
inline bool MinTimeGiven(int argc, char** argv) {
    for (int i = 1; i < argc; ++i)
        if (std::string(argv[i]).rfind("--benchmark_min_time", 0) == 0)
            return true;
    return false;
}

// Returns TargetsMet when every ratio was measured and meets its target,
// NotMeasured when one could not be measured, else TargetMissed.
inline int RunAndPrintRatios(int argc, char** argv, const std::vector<RatioTarget>& targets) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    int status = TargetsMet;
    std::printf("\n");
    for (const RatioTarget& t : targets) {
        auto m = reporter.Times.find(t.Measured), b = reporter.Times.find(t.Baseline);
        if (m == reporter.Times.end() || b == reporter.Times.end() || b->second <= 0) {
            std::printf("%s: not measured\n", t.Label);
            status = NotMeasured;
            continue;
        }
        const double ratio = m->second / b->second;
        if (t.Informational) {
            std::printf("%s: ratio %.2f (for information, no target)\n", t.Label, ratio);
            continue;
        }
        const bool ok = ratio <= t.Max;
        std::printf("%s: ratio %.2f (target <= %.2f): %s\n", t.Label, ratio, t.Max,
                    ok ? "meets the target" : "DOES NOT meet the target");
        if (!ok && status == TargetsMet)
            status = TargetMissed;
    }
    std::fflush(stdout);
    return status;
}
