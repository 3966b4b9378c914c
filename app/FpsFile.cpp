#include "app/FpsFile.h"

#include <cstdio>
#include <utility>

#include "engine/core/Log.h"

namespace ynx {

FpsFile::FpsFile(std::string path, Timer::Clock now) : path(std::move(path)), timer(now) {}

void FpsFile::Tick() {
  if (path.empty()) return;
  ++frames;
  seconds += timer.Elapsed();
  if (seconds < 1.0) return;
  Write();
  frames = 0;
  seconds = 0.0;
}

void FpsFile::Write() {
  const std::string temporary = path + ".tmp";
  std::FILE* file = std::fopen(temporary.c_str(), "w");
  bool written = file != nullptr && std::fprintf(file, "%u %.3f\n", frames, seconds) > 0;
  if (file != nullptr) written = std::fclose(file) == 0 && written;
  written = written && std::rename(temporary.c_str(), path.c_str()) == 0;
  if (written) return;
  std::remove(temporary.c_str());
  if (failed) return;
  failed = true;
  LogWarning("Невозможно записать частоту кадров [%s].", path.c_str());
}

}  // namespace ynx
