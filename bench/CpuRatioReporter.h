// Prints, after the usual table, each benchmark's CPU time as a ratio of one baseline benchmark
// measured in the same run, so figures from loaded or slower machines still compare.
#pragma once
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace parlo {

class CpuRatioReporter : public benchmark::ConsoleReporter {
 public:
  // `baseline` names the benchmark; `against` says in words what it measures.
  CpuRatioReporter(std::string baseline, std::string against)
      : baseline_(std::move(baseline)), against_(std::move(against)) {}

  void ReportRuns(const std::vector<Run>& runs) override {
    // Kept in seconds: benchmarks of one run may each report in a unit of their own.
    for (const Run& run : runs)
      if (run.run_type == Run::RT_Iteration && run.iterations > 0) {
        times_[run.benchmark_name()] =
            run.GetAdjustedCPUTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
        if (run.benchmark_name() == baseline_) unit_ = run.time_unit;
      }
    ConsoleReporter::ReportRuns(runs);
  }

  void PrintRatios() const {
    auto base = times_.find(baseline_);
    if (base == times_.end() || base->second <= 0) return;
    const double scale = benchmark::GetTimeUnitMultiplier(unit_);
    const char* unit = benchmark::GetTimeUnitString(unit_);
    const int digits = unit_ == benchmark::kMillisecond || unit_ == benchmark::kSecond ? 3 : 1;
    std::printf("\nAgainst %s (%.*f %s CPU):\n", against_.c_str(), digits, base->second * scale, unit);
    for (const auto& [name, time] : times_)
      if (name != base->first)
        std::printf("  %-22s %12.*f %s  ratio %6.2f\n", name.c_str(), digits, time * scale, unit,
                    time / base->second);
  }

 private:
  std::string baseline_, against_;
  std::map<std::string, double> times_;  // seconds
  benchmark::TimeUnit unit_ = benchmark::kNanosecond;
};

// The benchmarks' main: runs what the command line selects, then the ratios.
inline int RunWithRatios(int argc, char** argv, CpuRatioReporter& reporter) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintRatios();
  benchmark::Shutdown();
  return 0;
}

}  // namespace parlo
