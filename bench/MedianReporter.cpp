#include "bench/MedianReporter.h"

#include <malloc.h>

namespace ynx {

void MedianReporter::ReportRuns(const std::vector<Run>& runs) {
  for (const Run& run : runs) {
    if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median" && !run.error_occurred) {
      const double unit = benchmark::GetTimeUnitMultiplier(run.time_unit);
      medians[run.run_name.function_name] = {run.GetAdjustedRealTime() / unit, run.GetAdjustedCPUTime() / unit};
    }
  }
  ConsoleReporter::ReportRuns(runs);
}

MedianReporter::Times MedianReporter::Of(const std::string& name) const {
  const auto found = medians.find(name);
  return found == medians.end() ? Times{} : found->second;
}

bool MedianReporter::Initialize(int argc, char** argv) {
  // glibc hands the top of the heap back after a frame and llvmpipe's
  // per-draw vertex buffers then fault it in again, page by page: which
  // side pays for that depends on the heap's layout, not on its own work.
  mallopt(M_TRIM_THRESHOLD, 256 << 20);
  mallopt(M_MMAP_THRESHOLD, 32 << 20);
  // The machine's other load and its drift over the run fall on all sides
  // alike.
  std::vector<char*> arguments(argv, argv + argc);
  static char interleave[] = "--benchmark_enable_random_interleaving=true";
  arguments.insert(arguments.begin() + 1, interleave);
  int count = static_cast<int>(arguments.size());
  benchmark::Initialize(&count, arguments.data());
  return !benchmark::ReportUnrecognizedArguments(count, arguments.data());
}

void MedianReporter::RunAll(const std::function<void(const MedianReporter&)>& summary) {
  MedianReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  summary(reporter);
}

}  // namespace ynx
