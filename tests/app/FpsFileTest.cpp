#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/FpsFile.h"
#include "tests/support/CapturedLog.h"

namespace ynx {
namespace {

double clockMs = 0.0;
double FakeClock() { return clockMs; }

std::string ReadAll(const std::filesystem::path& path) {
  std::ifstream file(path);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

// Frames of `ms` milliseconds each, then what the file holds.
struct Step {
  int frames;
  double ms;
  const char* expected;
};

TEST(FpsFileTest, EachSecondReplacesTheLineAndNothingIsLeftHalfWritten) {
  const std::filesystem::path folder = std::filesystem::temp_directory_path() / "ynx-fps-file-test";
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  const std::filesystem::path path = folder / "fps.txt";
  clockMs = 1000.0;
  FpsFile fps(path.string(), FakeClock);
  const Step steps[] = {
      {29, 33.0, ""},                // 0.957 s: nothing yet
      {2, 33.0, "31 1.023\n"},       // the second is passed on the 31st frame
      {8, 62.5, "31 1.023\n"},       // the next interval starts from zero
      {8, 62.5, "16 1.000\n"},       // exactly a second counts
      {1, 2500.0, "1 2.500\n"},      // a stall shows as one long frame
  };
  for (const Step& step : steps) {
    for (int i = 0; i < step.frames; ++i) {
      clockMs += step.ms;
      fps.Tick();
    }
    EXPECT_EQ(std::filesystem::exists(path) ? ReadAll(path) : "", step.expected);
  }
  EXPECT_FALSE(std::filesystem::exists(folder / "fps.txt.tmp"));
  std::filesystem::remove_all(folder);
}

TEST(FpsFileTest, AnUnwritablePathIsLoggedOnceAndAnEmptyOneWritesNothing) {
  test::CapturedLog log;
  clockMs = 0.0;
  FpsFile missing("/nonexistent-folder/fps.txt", FakeClock);
  FpsFile none("", FakeClock);
  for (int i = 0; i < 5; ++i) {
    clockMs += 1500.0;
    missing.Tick();
    none.Tick();
  }
  EXPECT_EQ(log.Filtered({"WARNING. "}),
            std::vector<std::string>{"WARNING. Невозможно записать частоту кадров [/nonexistent-folder/fps.txt]."});
}

}  // namespace
}  // namespace ynx
