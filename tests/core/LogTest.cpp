#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "engine/core/FileMessageOutput.h"
#include "engine/core/Log.h"
#include "tests/support/CapturedLog.h"

namespace ynx {
namespace {

std::string ReadWholeFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::stringstream content;
  content << file.rdbuf();
  return content.str();
}

TEST(LogTest, EveryOutputReceivesEveryLineInRegistrationOrder) {
  test::CapturedLog first;
  test::CapturedLog second;
  LogInfo("один %d", 1);
  LogWarning("два");
  LogError("три");
  LogCritical("четыре");
  const std::vector<std::string> expected = {"INFO. один 1", "WARNING. два", "ERROR. три",
                                             "CRITICAL ERROR. четыре"};
  EXPECT_EQ(second.Lines(), expected);
  ASSERT_EQ(first.Lines().size(), expected.size() + 1);
  EXPECT_EQ(first.Lines()[0], "INFO. Объект вывода сообщений зарегестрирован. [test capture]");
  EXPECT_TRUE(std::equal(expected.begin(), expected.end(), first.Lines().begin() + 1));
}

TEST(LogTest, TextIsNeverUsedAsAFormat) {
  test::CapturedLog log;
  LogInfo("%s", "100% done %d");
  EXPECT_EQ(log.Lines().back(), "INFO. 100% done %d");
}

TEST(LogTest, LongMessagesAreCut) {
  test::CapturedLog log;
  const std::string text(10000, 'x');
  LogInfo("%s", text.c_str());
  EXPECT_EQ(log.Lines().back().size(), std::string("INFO. ").size() + 4095);
}

TEST(LogTest, RegistrationLinesAndDuplicates) {
  test::CapturedLog log;
  Ptr<FileMessageOutput> output(new FileMessageOutput(String(), String("второй")));
  EXPECT_EQ(RegisterMessageOutput(output.Get()), 0);
  EXPECT_EQ(RegisterMessageOutput(output.Get()), 0);
  EXPECT_EQ(UnregisterMessageOutput(output.Get()), 0);
  EXPECT_EQ(UnregisterMessageOutput(output.Get()), 3);
  EXPECT_EQ(RegisterMessageOutput(nullptr), 3);
  EXPECT_EQ(output->GetReferenceCount(), 1) << "the list released its reference";
  EXPECT_EQ(log.Lines(), (std::vector<std::string>{
                             "INFO. Объект вывода сообщений зарегестрирован. [второй]",
                             "WARNING. Объект вывода сообщений уже зарегестрирован. [второй]",
                             "INFO. Объект вывода сообщений разрегестрирован. [второй]",
                         }));
}

TEST(LogTest, FileOutputWritesLevelLinesAndNamesItselfByPath) {
  const std::string path = ::testing::TempDir() + "ynx_log_test.txt";
  {
    std::ofstream stale(path);
    stale << "old content\n";
  }
  Ptr<FileMessageOutput> output(new FileMessageOutput(String(path.c_str()), String()));
  ASSERT_TRUE(output->IsOpen());
  EXPECT_EQ(output->GetName(), path.c_str());
  RegisterMessageOutput(output.Get());
  LogInfo("Строка %d", 7);
  EXPECT_NE(ReadWholeFile(path).find("INFO. Строка 7\n"), std::string::npos) << "on disk while the file is open";
  output->Print(9, String("странный уровень"));
  UnregisterMessageOutput(output.Get());
  output = nullptr;  // closes the file
  EXPECT_EQ(ReadWholeFile(path),
            "INFO. Объект вывода сообщений зарегестрирован. [" + path +
                "]\n"
                "INFO. Строка 7\n"
                "UNKNOWN. странный уровень\n"
                "INFO. Объект вывода сообщений разрегестрирован. [" +
                path + "]\n");
  std::remove(path.c_str());
}

TEST(LogTest, UnopenableFileLeavesTheOutputSilent) {
  Ptr<FileMessageOutput> output(
      new FileMessageOutput(String("/nonexistent-folder/log.txt"), String("silent")));
  EXPECT_FALSE(output->IsOpen());
  EXPECT_EQ(RegisterMessageOutput(output.Get()), 0);
  LogInfo("goes nowhere");
  EXPECT_EQ(UnregisterMessageOutput(output.Get()), 0);
}

}  // namespace
}  // namespace ynx
