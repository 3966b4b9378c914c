#include <gtest/gtest.h>

#include "tests/support/EngineEnvironment.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  ::testing::AddGlobalTestEnvironment(new ynx::test::EngineEnvironment());
  return RUN_ALL_TESTS();
}
