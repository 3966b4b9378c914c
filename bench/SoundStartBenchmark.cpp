// What starting sound costs the screensaver: the audio library carried
// out of the program's resource (memory file, dlopen, every entry resolved,
// dlclose), and the whole sound service's start and stop on the default
// output (OpenAL's null output without a sound device).

#include <benchmark/benchmark.h>

#include <cstdint>

#include "engine/audio/SoundLibrary.h"
#include "engine/audio/SoundManager.h"
#include "engine/core/EngineLists.h"
#include "platform/resources/ResourceTable.h"

namespace ynx {
namespace {

void BM_LoadFromResource(benchmark::State& state) {
  SoundManager::Shutdown();
  const uint8_t* bytes = nullptr;
  uint32_t size = 0;
  if (!ResourceTable::Program().Find(SoundManager::RESOURCE_ID, "BASS", ResourceLanguage::RUSSIAN, &bytes, &size)) {
    state.SkipWithError("no library in the resources");
    return;
  }
  for (auto _ : state) {
    if (SoundLibrary::Load(bytes, size) != SoundLibrary::LOADED) {
      state.SkipWithError("the library does not load");
      return;
    }
    SoundLibrary::Unload();
  }
  state.counters["bytes"] = size;
}
BENCHMARK(BM_LoadFromResource)->Unit(benchmark::kMillisecond);

void BM_StartAndStopTheService(benchmark::State& state) {
  SoundManager::Shutdown();
  for (auto _ : state) {
    SoundManager::Initialize();
    SoundManager::Shutdown();
  }
}
BENCHMARK(BM_StartAndStopTheService)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace ynx

int main(int argc, char** argv) {
  ynx::InitializeEngine();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  ynx::ShutdownEngine();
  return 0;
}
