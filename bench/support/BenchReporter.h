#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

// Keeps the real time of each benchmark (the fastest repetition: the least disturbed by
// other work on the machine), so that main can print ratios after the runs.
class RecordingReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Iteration) {
                const std::string name =
                    run.run_name.function_name + (run.run_name.args.empty() ? "" : "/" + run.run_name.args);
                auto [entry, added] = times_.emplace(name, run.GetAdjustedRealTime());
                if (!added) {
                    entry->second = std::min(entry->second, run.GetAdjustedRealTime());
                }
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }

    // Time of one iteration in the benchmark's unit; 0 when it did not run.
    double time(const std::string& name) const {
        auto found = times_.find(name);
        return found == times_.end() ? 0.0 : found->second;
    }

  private:
    std::map<std::string, double> times_;
};
