// The audio library's processor time per second of sound while the
// screensaver's eight streams play: two stereo music-like files (tones under
// loud noise, which the decoder finds as hard as music) and six positional
// mono ones moving around the listener, updated 60 times a second as the
// frame loop does. Mixed through the loopback device, so the figure holds
// the decoding, the feeding and OpenAL's mixing, on every thread of the
// process.

#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <vector>

#include "platform/bass/Bass.h"
#include "tests/support/OggToneEncoder.h"

namespace {

using ynx::test::OggToneEncoder;

constexpr long kRate = 44100;
constexpr int32_t kFrameSlice = kRate / 60;

struct Streams {
  std::vector<std::vector<uint8_t>> files;
  std::vector<HSTREAM> music;
  std::vector<HSTREAM> positional;

  Streams(int musicCount, int positionalCount) {
    for (int i = 0; i < musicCount; ++i)
      Add(music, OggToneEncoder::Encode(kRate, 10 * kRate, {{220.0 + 55 * i, 0.3f, 0.3f}, {330.0, 0.3f, 0.3f}}), 0);
    for (int i = 0; i < positionalCount; ++i)
      Add(positional, OggToneEncoder::Encode(kRate, 3 * kRate, {{300.0 + 40 * i, 0.4f, 0.1f}}), BASS_SAMPLE_3D);
    for (HSTREAM stream : positional)
      BASS_ChannelSet3DAttributes(stream, BASS_3DMODE_NORMAL, 3.0f, -1.0f, -1, -1, -1);
    BASS_Apply3D();
  }
  ~Streams() {
    for (HSTREAM stream : music) BASS_StreamFree(stream);
    for (HSTREAM stream : positional) BASS_StreamFree(stream);
  }

  void Add(std::vector<HSTREAM>& to, std::vector<uint8_t> file, uint32_t flags) {
    files.push_back(std::move(file));
    const HSTREAM stream = BASS_StreamCreateFile(1, files.back().data(), 0,
                                                 static_cast<uint32_t>(files.back().size()), flags | BASS_SAMPLE_LOOP);
    BASS_ChannelPlay(stream, 0);
    to.push_back(stream);
  }

  // One frame of the frame loop: each positional stream moves on its circle.
  void Update(double time) {
    for (size_t i = 0; i < positional.size(); ++i) {
      const double angle = time * (0.5 + 0.1 * static_cast<double>(i)) + static_cast<double>(i);
      const BASS_3DVECTOR at{static_cast<float>(8 * std::cos(angle)), 0.0f, static_cast<float>(8 * std::sin(angle))};
      BASS_ChannelSet3DPosition(positional[i], &at, nullptr, nullptr);
      BASS_ChannelPlay(positional[i], 0);
    }
    BASS_Apply3D();
  }
};

void RenderOneSecond(benchmark::State& state, int musicCount, int positionalCount) {
  YNX_BassUseLoopback(kRate);
  if (!BASS_Init(-1, kRate, BASS_DEVICE_3D, nullptr, nullptr)) {
    state.SkipWithError("no loopback device");
    return;
  }
  BASS_Set3DFactors(1.0f, 1.0f, 1.0f);
  {
    Streams streams(musicCount, positionalCount);
    std::vector<float> out(2 * kFrameSlice);
    double time = 0;
    std::chrono::steady_clock::duration inCalls{};
    for (auto _ : state) {
      for (int frame = 0; frame < 60; ++frame) {
        const auto start = std::chrono::steady_clock::now();
        streams.Update(time);
        inCalls += std::chrono::steady_clock::now() - start;
        YNX_BassRenderLoopback(out.data(), kFrameSlice);
        time += 1.0 / 60.0;
      }
      benchmark::DoNotOptimize(out.data());
    }
    // What the frame loop itself spends in the library per second of sound.
    state.counters["frame_calls_us"] = benchmark::Counter(
        std::chrono::duration<double, std::micro>(inCalls).count(), benchmark::Counter::kAvgIterations);
  }
  BASS_Free();
  YNX_BassUseLoopback(0);
}

void BM_EightStreams(benchmark::State& state) { RenderOneSecond(state, 2, 6); }
void BM_TwoMusicStreams(benchmark::State& state) { RenderOneSecond(state, 2, 0); }
void BM_SixPositionalStreams(benchmark::State& state) { RenderOneSecond(state, 0, 6); }
void BM_NoStreams(benchmark::State& state) { RenderOneSecond(state, 0, 0); }

BENCHMARK(BM_EightStreams)->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TwoMusicStreams)->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SixPositionalStreams)->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NoStreams)->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
