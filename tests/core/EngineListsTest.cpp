#include <gtest/gtest.h>

#include <ctime>
#include <string>
#include <vector>

#include "engine/core/EngineLists.h"
#include "engine/core/Random.h"
#include "tests/support/CapturedLog.h"

namespace ynx {
namespace {

// The functions under test record their calls here.
std::vector<std::string> calls;
EngineLists* running = nullptr;

int32_t First() {
  calls.push_back("first");
  return 0;
}
int32_t Late() {
  calls.push_back("late");
  return 0;
}
int32_t AddsLate() {
  calls.push_back("adds late");
  running->AddInit(&Late);
  return 0;
}
int32_t Fails() {
  calls.push_back("fails");
  return 1;
}
int32_t Module() {
  calls.push_back("module");
  return 0;
}

class EngineListsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    calls.clear();
    running = &lists;
  }
  EngineLists lists;
  test::CapturedLog log;
};

TEST_F(EngineListsTest, InitializeRunsBothListsAndFunctionsAddedMeanwhile) {
  lists.AddInit(&First);
  lists.AddInit(&AddsLate);
  lists.AddPostInit(&Module);
  EXPECT_EQ(lists.Initialize(), 0);
  EXPECT_EQ(calls, (std::vector<std::string>{"first", "adds late", "late", "module"}));
  EXPECT_EQ(log.Lines(), (std::vector<std::string>{
                             "INFO. Инициализация движка v.0.1.2:",
                             "INFO. Инициализация движка завершилась удачно.",
                             "INFO. Постинициализация движка:",
                             "INFO. Постинициализация движка завершилась удачно.",
                         }));
}

TEST_F(EngineListsTest, AFailingInitFunctionStopsEverythingAfterIt) {
  lists.AddInit(&Fails);
  lists.AddInit(&First);
  lists.AddPostInit(&Module);
  EXPECT_EQ(lists.Initialize(), 1);
  EXPECT_EQ(calls, (std::vector<std::string>{"fails"}));
  EXPECT_EQ(log.Lines().back(), "ERROR. Инициализация движка неудачно.");
}

TEST_F(EngineListsTest, AFailingPostInitFunctionIsReported) {
  lists.AddPostInit(&Fails);
  lists.AddPostInit(&Module);
  EXPECT_EQ(lists.Initialize(), 1);
  EXPECT_EQ(calls, (std::vector<std::string>{"fails"}));
  EXPECT_EQ(log.Lines().back(), "ERROR. Постинициализация движка неудачна.");
}

TEST_F(EngineListsTest, ShutdownRunsInRegistrationOrderAndStopsAtAFailure) {
  lists.AddShutdown(&First);
  lists.AddShutdown(&Fails);
  lists.AddShutdown(&Module);
  EXPECT_EQ(lists.Shutdown(), 1);
  EXPECT_EQ(calls, (std::vector<std::string>{"first", "fails"}));
  EXPECT_EQ(log.Lines(), (std::vector<std::string>{"INFO. Завершение работы движка:",
                                                   "ERROR. Завершение работы движка неудачно."}));
}

TEST_F(EngineListsTest, ListsThatWereNeverMadeAreEmpty) {
  EXPECT_EQ(lists.Shutdown(), 0);
  EXPECT_EQ(log.Lines(),
            (std::vector<std::string>{"INFO. Завершение работы движка:",
                                      "INFO. Завершение работы движка завершилось удачно."}));
  EXPECT_EQ(lists.Initialize(), 0);
  EXPECT_EQ(lists.InitCount(), 0u);
}

TEST(RandomTest, ASeedReplaysTheClassicFifteenBitSequence) {
  struct Case {
    uint32_t seed;
    std::vector<int32_t> first;
  };
  for (const Case& c : {Case{1, {41, 18467, 6334, 26500, 19169}}, Case{0, {38, 7719, 21238, 2437}}}) {
    Random::Seed(c.seed);
    std::vector<int32_t> values;
    for (size_t i = 0; i < c.first.size(); ++i) values.push_back(Random::Next());
    EXPECT_EQ(values, c.first) << "seed " << c.seed;
  }
}

TEST_F(EngineListsTest, InitializeSeedsTheGeneratorFromTheClock) {
  const auto second = static_cast<uint32_t>(std::time(nullptr));
  ASSERT_EQ(lists.Initialize(), 0);
  const int32_t drawn = Random::Next();
  // The clock may have ticked meanwhile.
  Random::Seed(second);
  const int32_t then = Random::Next();
  Random::Seed(second + 1);
  EXPECT_TRUE(drawn == then || drawn == Random::Next());
}

}  // namespace
}  // namespace ynx
