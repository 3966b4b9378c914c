// Opening and reading a 20 MB memory file (each opening copies the content,
// as the scene load does), next to a memcpy of the same 20 MB.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "engine/io/MemoryFile.h"

namespace ynx {
namespace {

constexpr int32_t FILE_BYTES = 20 * 1024 * 1024;

void BM_OpenAndReadMemoryFile(benchmark::State& state) {
  MemoryFile file{String("Main.STR")};
  auto* source = static_cast<uint8_t*>(std::malloc(FILE_BYTES));
  std::memset(source, 7, FILE_BYTES);
  file.SetSource(source, FILE_BYTES, true);
  std::vector<uint8_t> target(FILE_BYTES);
  for (auto _ : state) {
    if (file.Open(File::MODE_READ) != 0 || file.Read(target.data(), FILE_BYTES) != 0) {
      state.SkipWithError("read failed");
    }
    file.Close();
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * FILE_BYTES);
}

void BM_Memcpy(benchmark::State& state) {
  const std::vector<uint8_t> source(FILE_BYTES, 7);
  std::vector<uint8_t> target(FILE_BYTES);
  for (auto _ : state) {
    std::memcpy(target.data(), source.data(), source.size());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * FILE_BYTES);
}

BENCHMARK(BM_Memcpy)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenAndReadMemoryFile)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace ynx

BENCHMARK_MAIN();
