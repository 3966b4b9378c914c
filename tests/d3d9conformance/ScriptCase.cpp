#include "tests/d3d9conformance/ScriptCase.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>

namespace ynx::test {

namespace {

// SDL's video stays started for the whole run, so that the GL driver is
// still loaded (and its long-lived allocations named) when the leak
// checker runs.
class VideoEnvironment : public ::testing::Environment {
 public:
  void SetUp() override { ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError(); }
};

[[maybe_unused]] ::testing::Environment* const VIDEO = ::testing::AddGlobalTestEnvironment(new VideoEnvironment);

}  // namespace

::testing::AssertionResult NearColor(uint32_t actual, uint32_t expected, int tolerance, bool alpha) {
  for (int shift = 0; shift < (alpha ? 32 : 24); shift += 8) {
    const int a = static_cast<int>(actual >> shift & 0xFF);
    const int e = static_cast<int>(expected >> shift & 0xFF);
    if (std::abs(a - e) > tolerance) {
      char text[64];
      std::snprintf(text, sizeof text, "0x%08X, expected 0x%08X", actual, expected);
      return ::testing::AssertionFailure() << text;
    }
  }
  return ::testing::AssertionSuccess();
}

void ScriptCase::Play(const std::string& name) {
  player = std::make_unique<ScriptPlayer>();
  const std::string path = std::string(YNX_CONFORMANCE_SCRIPTS) + "/" + name + ".json";
  ASSERT_TRUE(player->PlayFile(path)) << player->Error();
  ASSERT_TRUE(player->Read({}, image)) << player->Error();
}

ScriptPlayer::Image ScriptCase::Read(const std::string& target, UINT face) {
  ScriptPlayer::Image read;
  EXPECT_TRUE(player->Read(target, read, face)) << player->Error();
  return read;
}

void ScriptCase::TearDown() {
  if (player) {
    for (const std::string& message : player->Messages()) ADD_FAILURE() << "device message: " << message;
  }
  player.reset();
}

}  // namespace ynx::test
