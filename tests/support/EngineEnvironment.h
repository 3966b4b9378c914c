#pragma once

#include <gtest/gtest.h>

namespace ynx::test {

// Starts the engine (classes into the factory table) before a suite's first
// test and stops it after the last, as the application does.
class EngineEnvironment : public ::testing::Environment {
 public:
  void SetUp() override;
  void TearDown() override;
};

}  // namespace ynx::test
