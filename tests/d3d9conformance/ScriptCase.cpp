#include "tests/d3d9conformance/ScriptCase.h"

#include <SDL.h>

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
