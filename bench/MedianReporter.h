#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
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
  static void RunAll(void (*summary)(const MedianReporter&));
  // A race's whole main: Initialize, a Race made and set up by `prepare`
  // (false, with the reason, stops the program), every benchmark run with
  // the race published in `current`, then `summary`. The race is gone
  // before Google Benchmark shuts down. The exit status.
  template <class Race>
  static int Main(int argc, char** argv, Race*& current, bool (*prepare)(Race& race, std::string& error),
                  void (*summary)(const MedianReporter&)) {
    if (!Initialize(argc, argv)) return 1;
    int result = 1;
    {
      Race made;
      std::string error;
      if (!prepare(made, error)) {
        std::fprintf(stderr, "cannot set the benchmark up: %s\n", error.c_str());
      } else {
        current = &made;
        RunAll(summary);
        current = nullptr;
        result = 0;
      }
    }
    benchmark::Shutdown();
    return result;
  }

 private:
  std::map<std::string, Times> medians;
};

}  // namespace ynx
