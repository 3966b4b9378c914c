#include "bench/RendererRace.h"

#include <cstdio>

#include "bench/MedianReporter.h"

namespace ynx {
namespace {

constexpr int REPETITIONS = 10;

}  // namespace

RendererRace::~RendererRace() = default;

int RendererRace::Main(int argc, char** argv, std::unique_ptr<RendererRace> (*make)(),
                       const std::vector<const char*>& names, const std::vector<Ratio>& ratios) {
  if (!MedianReporter::Initialize(argc, argv)) return 1;
  int result = 1;
  {
    const std::unique_ptr<RendererRace> race = make();
    std::string error;
    if (!race->Prepare(error)) {
      std::fprintf(stderr, "cannot set the benchmark up: %s\n", error.c_str());
    } else {
      for (size_t path = 0; path < names.size(); ++path) {
        benchmark::RegisterBenchmark(names[path], [&race, path](benchmark::State& state) {
          race->Time(state, static_cast<int32_t>(path));
        })->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(REPETITIONS);
      }
      MedianReporter::RunAll([&](const MedianReporter& reporter) {
        std::printf("\nmedian frame                wall   drawing thread\n");
        for (const char* name : names) {
          const MedianReporter::Times median = reporter.Of(name);
          std::printf("  %-21s %9.3f ms %9.3f ms\n", name, 1e3 * median.wall, 1e3 * median.thread);
        }
        for (const Ratio& ratio : ratios) {
          const MedianReporter::Times a = reporter.Of(names[static_cast<size_t>(ratio.path)]);
          const MedianReporter::Times b = reporter.Of(names[static_cast<size_t>(ratio.base)]);
          std::printf("  %-21s %8.2fx %11.2fx\n", ratio.label, b.wall > 0 ? a.wall / b.wall : 0.0,
                      b.thread > 0 ? a.thread / b.thread : 0.0);
        }
      });
      result = 0;
    }
  }
  benchmark::Shutdown();
  return result;
}

void RendererRace::Time(benchmark::State& state, int32_t path) {
  std::string error;
  if (!Use(path, error)) {
    state.SkipWithError(error.c_str());
    return;
  }
  for (auto _ : state) Frame(path);
  Count(state, path);
  const std::vector<std::string>& complaints = GetComplaints();
  if (!complaints.empty()) state.SkipWithError(("the renderer logged: " + complaints.front()).c_str());
}

}  // namespace ynx
