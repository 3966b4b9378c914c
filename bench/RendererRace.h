#pragma once

#include <benchmark/benchmark.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace ynx {

// A race between ways of drawing through the renderer ("paths"), one
// benchmark a path, in one run: every path is set up and its frame checked
// before anything is timed; each benchmark then times its path's frames
// (milliseconds by the wall clock, ten repetitions in random order) and
// fails when the renderer logs a warning. The summary gives every path's
// median frame by the wall clock and by the drawing thread's processor
// time (llvmpipe rasterises on threads of its own: the wall clock is what a
// viewer sees, the thread's time what the engine itself costs), then the
// chosen ratios.
class RendererRace {
 public:
  // Path `path`'s medians as a multiple of path `base`'s.
  struct Ratio {
    const char* label;
    int32_t path;
    int32_t base;
  };

  RendererRace() = default;
  RendererRace(const RendererRace&) = delete;
  RendererRace& operator=(const RendererRace&) = delete;
  virtual ~RendererRace();

  // Makes the race, prepares it and runs the benchmarks the command line
  // selects, path i's under names[i]. 0, or 1 after a message.
  static int Main(int argc, char** argv, std::unique_ptr<RendererRace> (*make)(),
                  const std::vector<const char*>& names, const std::vector<Ratio>& ratios);
  // The same for a race of type RaceType over paths that carry their
  // benchmark's `name`.
  template <class RaceType, class PathType, size_t COUNT>
  static int Main(int argc, char** argv, const PathType (&paths)[COUNT], const std::vector<Ratio>& ratios) {
    std::vector<const char*> names;
    for (const PathType& path : paths) names.push_back(path.name);
    return Main(
        argc, argv, [] { return std::unique_ptr<RendererRace>(new RaceType()); }, names, ratios);
  }

 protected:
  // The window, the scenes and every path's checked frame; false with the
  // reason.
  virtual bool Prepare(std::string& error) = 0;
  // The device the path needs, with everything on it made, so that the
  // timed frames start warm.
  virtual bool Use(int32_t path, std::string& error) = 0;
  virtual void Frame(int32_t path) = 0;
  // What the path's benchmark reports beside its time, after its frames.
  virtual void Count(benchmark::State& state, int32_t path) = 0;
  // What the renderer has logged as a warning or worse.
  virtual std::vector<std::string>& GetComplaints() = 0;

 private:
  void Time(benchmark::State& state, int32_t path);
};

}  // namespace ynx
