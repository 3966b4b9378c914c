#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "tests/support/NearColor.h"
#include "tools/d3d9play/ScriptPlayer.h"

namespace ynx::test {

// Plays one script of scripts/ on a device of its own and reads its
// output target back. Device messages fail the test.
class ScriptCase : public ::testing::Test {
 protected:
  // Plays scripts/<name>.json; the image is the script's output target.
  void Play(const std::string& name);
  void TearDown() override;

  // Read-back pixels of another target.
  ScriptPlayer::Image Read(const std::string& target, UINT face = 0);

  std::unique_ptr<ScriptPlayer> player;
  ScriptPlayer::Image image;
};

}  // namespace ynx::test
