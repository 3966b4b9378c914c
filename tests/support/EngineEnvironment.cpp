#include "tests/support/EngineEnvironment.h"

#include "engine/core/EngineLists.h"

namespace ynx::test {

void EngineEnvironment::SetUp() { ASSERT_EQ(InitializeEngine(), 0); }

void EngineEnvironment::TearDown() { ASSERT_EQ(ShutdownEngine(), 0); }

}  // namespace ynx::test
