#pragma once

#include <cstdint>
#include <string>

#include "engine/system/Timer.h"

namespace ynx {

// The frame rate for a watcher outside the process (`--fps-file`): about
// once a second the file is replaced by one line, the frames counted and the
// seconds they took ("31 1.002"). The line goes to a temporary name first
// and is renamed over the file, so a reader never sees half of it.
class FpsFile {
 public:
  // No file is written for an empty path.
  explicit FpsFile(std::string path, Timer::Clock now = Timer::MonotonicMilliseconds);

  // Counts one frame; once a second has gone by, writes the interval.
  void Tick();

 private:
  void Write();

  std::string path;
  Timer timer;
  uint32_t frames = 0;
  double seconds = 0.0;
  // The first failure is logged, the rest would only repeat it.
  bool failed = false;
};

}  // namespace ynx
