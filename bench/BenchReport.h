#pragma once

// Collects each benchmark's real and CPU time per iteration, in milliseconds,
// while printing the usual console table, so that a program can end with a
// summary of its figures against their targets.

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <unistd.h>
#include <vector>

struct Timing {
    double realMs = 0;
    double cpuMs = 0;
};

class Collector : public benchmark::ConsoleReporter {
public:
    Collector() : ConsoleReporter(isatty(STDOUT_FILENO) ? OO_ColorTabular : OO_Tabular) {}
    std::map<std::string, Timing> times;
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& r : runs) {
            if (r.run_type != Run::RT_Iteration || r.iterations <= 0)
                continue;
            const double toMs = 1e3 / benchmark::GetTimeUnitMultiplier(r.time_unit);
            times[r.run_name.function_name] = {r.GetAdjustedRealTime() * toMs, r.GetAdjustedCPUTime() * toMs};
        }
        ConsoleReporter::ReportRuns(runs);
    }
};
