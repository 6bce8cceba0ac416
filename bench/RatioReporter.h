// Console output of Google Benchmark plus a closing summary of how a measured
// routine compares with its baseline from the same run.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>

class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration || run.error_occurred || run.iterations == 0)
                continue;
            const Times t{run.real_accumulated_time / double(run.iterations),
                          run.cpu_accumulated_time / double(run.iterations)};
            auto [it, fresh] = best_.try_emplace(run.benchmark_name(), t);
            if (!fresh && t.real < it->second.real)
                it->second = t;  // with repetitions, the fastest run of each
        }
        ConsoleReporter::ReportRuns(runs);
    }

    // Prints "<measured> / <baseline>: real 1.23x, cpu 1.20x (aim: within 3x)"
    // and returns false when either was not run or the real-time ratio misses
    // the aim. The CPU ratio is the steadier one on a busy machine.
    bool PrintRatio(const std::string& measured, const std::string& baseline, double aim) const
    {
        const auto m = best_.find(measured), b = best_.find(baseline);
        if (m == best_.end() || b == best_.end() || b->second.real <= 0 || b->second.cpu <= 0) {
            std::printf("%s / %s: not measured\n", measured.c_str(), baseline.c_str());
            return false;
        }
        const double real = m->second.real / b->second.real;
        const double cpu = m->second.cpu / b->second.cpu;
        std::printf("%s / %s: real %.2fx, cpu %.2fx (aim: within %.1fx)%s\n", measured.c_str(), baseline.c_str(), real,
                    cpu, aim, real <= aim ? "" : "  MISSED");
        return real <= aim;
    }

private:
    struct Times {
        double real;  // seconds per iteration
        double cpu;
    };
    std::map<std::string, Times> best_;
};
