#pragma once

#include <gtest/gtest.h>

namespace ynx::test {

// Keeps SDL's video started for the whole run of a suite that draws: SDL
// would unload the GL driver as its video ends, and then the leak checker
// could not name the driver's own long-lived allocations to suppress them.
class VideoEnvironment : public ::testing::Environment {
 public:
  void SetUp() override;
};

}  // namespace ynx::test
