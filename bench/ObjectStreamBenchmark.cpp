// Object stream throughput: an object graph of 700 objects (every one
// referring to a shared one) with 20 MB of payload, written and read back
// through MemoryStream, next to a plain memcpy of the same bytes.

#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <vector>

#include "engine/core/EngineLists.h"
#include "engine/core/MemoryStream.h"
#include "engine/core/Object.h"

namespace ynx {
namespace {

constexpr int32_t OBJECT_COUNT = 700;
constexpr int32_t PAYLOAD_BYTES = 20 * 1024 * 1024;

// A benchmark-only class: a shared reference, child references, and a block
// of payload bytes.
class BenchPayload : public Object {
  YNX_DECLARE_CLASS(BenchPayload);

 public:
  int32_t Save(MemoryStream& stream) const override {
    if (Object::Save(stream) != 0 || stream.WriteObject(shared) != 0) return 1;
    if (stream.WriteInt32(static_cast<int32_t>(children.size())) != 0) return 1;
    for (const Ptr<Object>& child : children) {
      if (stream.WriteObject(child) != 0) return 1;
    }
    if (stream.WriteInt32(payloadSize) != 0) return 1;
    return stream.Write(payload.get(), payloadSize);
  }
  int32_t Load(MemoryStream& stream) override {
    if (Object::Load(stream) != 0 || stream.ReadObject(shared) != 0) return 1;
    int32_t count = 0;
    if (stream.ReadCount(count, 4) != 0) return 1;
    children.resize(static_cast<size_t>(count));
    for (Ptr<Object>& child : children) {
      if (stream.ReadObject(child) != 0) return 1;
    }
    if (stream.ReadCount(payloadSize, 1) != 0) return 1;
    payload.reset(new uint8_t[static_cast<size_t>(payloadSize)]);  // left uninitialised
    return stream.Read(payload.get(), payloadSize);
  }

  Ptr<Object> shared;
  std::vector<Ptr<Object>> children;
  std::unique_ptr<uint8_t[]> payload;
  int32_t payloadSize = 0;
};

YNX_IMPLEMENT_CLASS(BenchPayload, Object)

Ptr<BenchPayload> MakeGraph() {
  Ptr<BenchPayload> root(new BenchPayload());
  Ptr<BenchPayload> shared(new BenchPayload());
  root->shared = shared;
  for (int32_t i = 1; i < OBJECT_COUNT - 1; ++i) {
    Ptr<BenchPayload> child(new BenchPayload());
    child->shared = shared;
    child->payloadSize = PAYLOAD_BYTES / (OBJECT_COUNT - 2);
    child->payload.reset(new uint8_t[static_cast<size_t>(child->payloadSize)]);
    std::memset(child->payload.get(), i, static_cast<size_t>(child->payloadSize));
    root->children.push_back(child);
  }
  return root;
}

struct EngineRunning {
  EngineRunning() { InitializeEngine(); }
  ~EngineRunning() { ShutdownEngine(); }
};

void BM_WriteGraph(benchmark::State& state) {
  EngineRunning engine;
  const Ptr<BenchPayload> root = MakeGraph();
  int32_t bytes = 0;
  for (auto _ : state) {
    MemoryStream stream(0, 1024);
    stream.WriteObject(root);
    bytes = stream.GetPosition();
    benchmark::DoNotOptimize(stream.GetData());
  }
  state.SetBytesProcessed(state.iterations() * bytes);
}

void BM_ReadGraph(benchmark::State& state) {
  EngineRunning engine;
  MemoryStream written(0, 1024);
  written.WriteObject(MakeGraph());
  const std::vector<uint8_t> bytes(written.GetData(), written.GetData() + written.GetPosition());
  for (auto _ : state) {
    MemoryStream stream(bytes.data(), static_cast<int32_t>(bytes.size()));
    Ptr<BenchPayload> root;
    if (stream.ReadObject(root) != 0) state.SkipWithError("read failed");
    benchmark::DoNotOptimize(root.Get());
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes.size()));
}

void BM_Memcpy(benchmark::State& state) {
  const std::vector<uint8_t> source(PAYLOAD_BYTES, 1);
  std::vector<uint8_t> target(PAYLOAD_BYTES);
  for (auto _ : state) {
    std::memcpy(target.data(), source.data(), source.size());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(source.size()));
}

BENCHMARK(BM_Memcpy)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteGraph)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadGraph)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace ynx

BENCHMARK_MAIN();
