#pragma once

#include <benchmark/benchmark.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace ynx {

// The console output, plus the median repetition of every benchmark for a
// closing summary: seconds per iteration by the wall clock and by the
// processor time of the thread that ran it (where the engine's own work
// shows; llvmpipe rasterises on threads of its own).
class MedianReporter : public benchmark::ConsoleReporter {
 public:
  struct Times {
    double wall = 0.0;
    double thread = 0.0;
  };

  void ReportRuns(const std::vector<Run>& runs) override;
  // Zero for a benchmark that did not run or failed.
  Times Of(const std::string& name) const;

  // Google Benchmark set up for a race between sides of one program:
  // repetitions in random order (the command line may still say
  // otherwise) and the heap kept. False after a message for an argument
  // it does not know.
  static bool Initialize(int argc, char** argv);
  // Every benchmark the command line selects, reported by one of these,
  // then `summary` from its medians.
  static void RunAll(const std::function<void(const MedianReporter&)>& summary);

 private:
  std::map<std::string, Times> medians;
};

}  // namespace ynx
