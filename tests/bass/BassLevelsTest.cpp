// What the program relies on, heard through the loopback device: volumes,
// distance, which side a sound comes from, seamless loops and the end of a
// stream.

#include <algorithm>
#include <cmath>
#include <functional>

#include "tests/bass/LoopbackFixture.h"

namespace ynx::test {
namespace {

constexpr uint32_t kSecond = 44100;

BASS_3DVECTOR Vector(float x, float y, float z) { return BASS_3DVECTOR{x, y, z}; }

void Place(HSTREAM stream, BASS_3DVECTOR position) {
  ASSERT_TRUE(BASS_ChannelSet3DPosition(stream, &position, nullptr, nullptr));
}

double Peak(const std::vector<float>& samples) {
  double peak = 0;
  for (float sample : samples) peak = std::max(peak, static_cast<double>(std::fabs(sample)));
  return peak;
}

using LevelsTest = LoopbackFixture;

// Each case measures one stream twice, set up as `before` and then as
// `after`, each time played from its start, and compares the mean levels.
struct RatioCase {
  const char* name;
  uint32_t flags;
  std::function<void(HSTREAM)> before;
  std::function<void(HSTREAM)> after;
  double ratio;
};

TEST_F(LevelsTest, LevelRatios) {
  const auto volume = [](int32_t percent) {
    return [percent](HSTREAM stream) { ASSERT_TRUE(BASS_ChannelSetAttributes(stream, -1, percent, -101)); };
  };
  const auto globalVolume = [](uint32_t percent) {
    return [percent](HSTREAM) { ASSERT_EQ(BASS_SetConfig(BASS_CONFIG_GVOL_STREAM, percent), percent); };
  };
  const auto at = [](float distance, float rolloff = 1.0f) {
    return [distance, rolloff](HSTREAM stream) {
      ASSERT_TRUE(BASS_ChannelSet3DAttributes(stream, BASS_3DMODE_NORMAL, 3.0f, -1.0f, -1, -1, -1));
      ASSERT_TRUE(BASS_Set3DFactors(-1.0f, rolloff, -1.0f));
      Place(stream, Vector(0, 0, distance));
    };
  };
  const RatioCase cases[] = {
      {"volume 50 of 100", 0, volume(100), volume(50), 0.5},
      {"volume 10 of 100", 0, volume(100), volume(10), 0.1},
      {"volume -1 keeps 30", 0, volume(30), volume(-1), 1.0},
      {"global stream volume 40", 0, globalVolume(100), globalVolume(40), 0.4},
      {"global volume on a 3D stream", BASS_SAMPLE_3D, globalVolume(100), globalVolume(25), 0.25},
      {"twice the minimum distance", BASS_SAMPLE_3D, at(3), at(6), 0.5},
      {"four times the minimum distance", BASS_SAMPLE_3D, at(3), at(12), 0.25},
      {"inside the minimum distance", BASS_SAMPLE_3D, at(3), at(1), 1.0},
      {"roll-off 7 at twice the minimum", BASS_SAMPLE_3D, at(3), at(6, 7.0f), 0.125},
      {"no maximum distance", BASS_SAMPLE_3D, at(3), at(3000), 0.001},
  };
  for (const RatioCase& testCase : cases) {
    SCOPED_TRACE(testCase.name);
    const HSTREAM stream = Stream(kSecond, testCase.flags);
    testCase.before(stream);
    BASS_Apply3D();
    ASSERT_TRUE(BASS_ChannelPlay(stream, 1));
    const double before = Measure(8192).Mean();
    testCase.after(stream);
    BASS_Apply3D();
    ASSERT_TRUE(BASS_ChannelPlay(stream, 1));
    const double after = Measure(8192).Mean();
    ASSERT_GT(before, 0.05);
    EXPECT_NEAR(after / before, testCase.ratio, 0.03 * testCase.ratio + 1e-4);
    BASS_StreamFree(stream);
  }
}

// Which side a sound comes from, with the listener turned every way: the
// engine is left-handed, so looking along +x the right hand points to -z.
struct SideCase {
  const char* name;
  BASS_3DVECTOR front;
  BASS_3DVECTOR source;
  bool right;
};

TEST_F(LevelsTest, SourceOnOneSideIsLouderThere) {
  const SideCase cases[] = {
      {"right of the default listener", Vector(0, 0, 1), Vector(5, 0, 0), true},
      {"left of the default listener", Vector(0, 0, 1), Vector(-5, 0, 0), false},
      {"right when looking along +x", Vector(1, 0, 0), Vector(0, 0, -5), true},
      {"left when looking along +x", Vector(1, 0, 0), Vector(0, 0, 5), false},
      {"right when looking along -z", Vector(0, 0, -1), Vector(-5, 0, 0), true},
  };
  const HSTREAM stream = Stream(kSecond, BASS_SAMPLE_3D);
  for (const SideCase& testCase : cases) {
    SCOPED_TRACE(testCase.name);
    const BASS_3DVECTOR top = Vector(0, 1, 0);
    ASSERT_TRUE(BASS_Set3DPosition(nullptr, nullptr, &testCase.front, &top));
    Place(stream, testCase.source);
    BASS_Apply3D();
    ASSERT_TRUE(BASS_ChannelPlay(stream, 1));
    const LevelsTest::Levels levels = Measure(4096);
    const double louder = testCase.right ? levels.right : levels.left;
    const double quieter = testCase.right ? levels.left : levels.right;
    EXPECT_GT(louder, 2.0 * quieter) << levels.left << " / " << levels.right;
  }
}

TEST_F(LevelsTest, TwoDimensionalStreamsPanAndKeepTheirChannels) {
  const HSTREAM mono = Stream(kSecond, 0);
  ASSERT_TRUE(BASS_ChannelSetAttributes(mono, -1, -1, 100));
  ASSERT_TRUE(BASS_ChannelPlay(mono, 1));
  Levels levels = Measure(4096);
  EXPECT_GT(levels.right, 2.0 * levels.left);
  ASSERT_TRUE(BASS_ChannelSetAttributes(mono, -1, -1, -100));
  levels = Measure(4096);
  EXPECT_GT(levels.left, 2.0 * levels.right);
  BASS_StreamFree(mono);

  // A tone on the left only stays on the left; mixed to mono for 3D it
  // comes from straight ahead.
  const std::vector<OggToneEncoder::Tone> leftOnly = {{441.0, 0.5f}, {441.0, 0.0f}};
  const HSTREAM stereo = Stream(kSecond, 0, leftOnly);
  ASSERT_TRUE(BASS_ChannelPlay(stereo, 1));
  levels = Measure(4096);
  EXPECT_LT(levels.right, 0.01 * levels.left);
  BASS_StreamFree(stereo);
  const HSTREAM mixed = Stream(kSecond, BASS_SAMPLE_3D, leftOnly);
  Place(mixed, Vector(0, 0, 1));
  BASS_Apply3D();
  ASSERT_TRUE(BASS_ChannelPlay(mixed, 1));
  levels = Measure(4096);
  EXPECT_NEAR(levels.right / levels.left, 1.0, 0.05);

  BASS_CHANNELINFO info{};
  ASSERT_TRUE(BASS_ChannelGetInfo(mixed, &info));
  EXPECT_EQ(info.chans, 1u);
  EXPECT_EQ(info.freq, 44100u);
}

// A looping file of a whole number of periods plays on over its seam with
// neither a gap nor a jump: no stretch of it goes quiet and no step between
// neighbouring samples is steeper than the tone's own.
TEST_F(LevelsTest, LoopHasNoGapOrClickAtTheSeam) {
  const uint32_t frames = 11000;  // 110 periods of 441 Hz
  const HSTREAM stream = Stream(frames, 0);
  ASSERT_TRUE(BASS_ChannelSetFlags(stream, BASS_SAMPLE_LOOP));
  ASSERT_TRUE(BASS_ChannelPlay(stream, 0));
  const std::vector<float> samples = Render(static_cast<int32_t>(3 * frames + 2048));
  const double level = LevelsOf(samples, 2048).left;
  ASSERT_GT(level, 0.1);
  double steepest = 0;
  for (size_t frame = 2048; frame + 1 < samples.size() / 2; ++frame)
    steepest = std::max(steepest, static_cast<double>(std::fabs(samples[2 * frame + 2] - samples[2 * frame])));
  const double slope = level * std::sqrt(2.0) * 2.0 * M_PI * 441.0 / 44100.0;
  EXPECT_LT(steepest, 1.5 * slope);
  for (size_t first = 2048; first + 220 <= samples.size() / 2; first += 110) {
    const std::vector<float> window(samples.begin() + static_cast<long>(2 * first),
                                    samples.begin() + static_cast<long>(2 * (first + 220)));
    ASSERT_NEAR(LevelsOf(window, 0).left, level, 0.15 * level) << "at frame " << first;
  }
  EXPECT_EQ(BASS_ChannelIsActive(stream), BASS_ACTIVE_PLAYING);
}

TEST_F(LevelsTest, EndedStreamStaysAtItsEndUntilRestarted) {
  const HSTREAM stream = Stream(4410, 0);
  ASSERT_TRUE(BASS_ChannelPlay(stream, 0));
  EXPECT_EQ(BASS_ChannelIsActive(stream), BASS_ACTIVE_PLAYING);
  Render(kSecond / 4);
  EXPECT_EQ(BASS_ChannelIsActive(stream), BASS_ACTIVE_STOPPED);

  // What the program does every frame for an enabled node.
  EXPECT_TRUE(BASS_ChannelPlay(stream, 0));
  EXPECT_EQ(BASS_ChannelIsActive(stream), BASS_ACTIVE_STOPPED);
  EXPECT_LT(Peak(Render(4096)), 1e-4);

  ASSERT_TRUE(BASS_ChannelPlay(stream, 1));
  EXPECT_EQ(BASS_ChannelIsActive(stream), BASS_ACTIVE_PLAYING);
  EXPECT_GT(Peak(Render(2048)), 0.1);
}

TEST_F(LevelsTest, PauseAndStopResumeWhereTheyLeftOff) {
  const HSTREAM stream = Stream(kSecond, 0);
  ASSERT_TRUE(BASS_ChannelPlay(stream, 0));
  Render(4096);
  ASSERT_TRUE(BASS_ChannelPause(stream));
  EXPECT_EQ(BASS_ChannelIsActive(stream), BASS_ACTIVE_PAUSED);
  EXPECT_LT(Peak(Render(4096)), 1e-4);
  ASSERT_TRUE(BASS_ChannelPlay(stream, 0));
  EXPECT_EQ(BASS_ChannelIsActive(stream), BASS_ACTIVE_PLAYING);
  EXPECT_GT(Peak(Render(4096)), 0.1);

  ASSERT_TRUE(BASS_ChannelStop(stream));
  EXPECT_EQ(BASS_ChannelIsActive(stream), BASS_ACTIVE_STOPPED);
  EXPECT_FALSE(BASS_ChannelPause(stream));
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_NOPLAY);
  EXPECT_LT(Peak(Render(4096)), 1e-4);
  // 8,192 frames were played; a rewound stream would last the full second.
  ASSERT_TRUE(BASS_ChannelPlay(stream, 0));
  Render(kSecond - 8192 + 2048);
  EXPECT_EQ(BASS_ChannelIsActive(stream), BASS_ACTIVE_STOPPED);
}

}  // namespace
}  // namespace ynx::test
