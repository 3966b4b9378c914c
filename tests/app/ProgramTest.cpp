#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct Outcome {
  int exitCode = -1;
  std::string output;
};

// Runs the installed program the way a screensaver host would, with the
// environment given as a prefix of shell assignments.
Outcome RunProgram(const std::string& environment, const std::string& arguments) {
  const std::string command =
      "env " + environment + " '" + VELLUMERE_PATH + "' " + arguments + " 2>&1";
  Outcome outcome;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return outcome;
  char buffer[4096];
  for (size_t count; (count = fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
    outcome.output.append(buffer, count);
  }
  const int status = pclose(pipe);
  outcome.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return outcome;
}

std::vector<std::string> ReadLines(const fs::path& path) {
  std::ifstream file(path);
  std::vector<std::string> lines;
  for (std::string line; std::getline(file, line);) lines.push_back(line);
  return lines;
}

class ProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    folder = fs::path(::testing::TempDir()) / (std::string("vellumere-") + info->name());
    fs::remove_all(folder);
    fs::create_directories(folder);
  }
  void TearDown() override { fs::remove_all(folder); }

  fs::path LogPath() const { return folder / "state" / "Quorvane" / "YNXLog.txt"; }
  std::string StateEnvironment() const { return "XDG_STATE_HOME='" + (folder / "state").string() + "'"; }

  fs::path folder;
};

TEST_F(ProgramTest, PasswordModeLogsItsStepsAndEndsCleanly) {
  const Outcome outcome = RunProgram(StateEnvironment(), "/a 1234");
  EXPECT_EQ(outcome.exitCode, 0);
  EXPECT_EQ(outcome.output, "") << "a screensaver prints nothing";
  const std::vector<std::string> expected = {
      "INFO. Объект вывода сообщений зарегестрирован. [" + LogPath().string() + "]",
      "INFO. Режим скринсейвера 4.",
      "INFO. Скринсейвер инициализирован.",
      "INFO. Окна скринсейвера созданы.",
      "INFO. Сейвер создан.",
      "INFO. Работа скринсейвера завершена корректно.",
      "INFO. Окна скринсейвера удалены.",
      "INFO. Скринсейвер завершил работу.",
      "INFO. Конец лога.",
  };
  EXPECT_EQ(ReadLines(LogPath()), expected);
}

TEST_F(ProgramTest, ModesWithoutARendererFailHonestlyAndStillTearDown) {
  for (const char* arguments : {"/s", "/c", "-p 4242", ""}) {
    SCOPED_TRACE(arguments);
    const Outcome outcome = RunProgram(StateEnvironment(), arguments);
    EXPECT_EQ(outcome.exitCode, 0) << "a failed start-up still ends in order";
    const std::vector<std::string> lines = ReadLines(LogPath());
    ASSERT_GE(lines.size(), 6u);
    const std::vector<std::string> tail(lines.end() - 9, lines.end());
    const std::vector<std::string> expected = {
        "ERROR. Невозможно создать рендерер DirectX.",
        "ERROR. Невозможно инициализировать скринсейвер.",
        "ERROR. Невозможно создать скринсейвер.",
        "INFO. Окна скринсейвера удалены.",
        "INFO. Завершение работы движка:",
        "INFO. Завершение работы класса [Object] прошло удачно.",
        "INFO. Завершение работы движка завершилось удачно.",
        "INFO. Скринсейвер завершил работу.",
        "INFO. Конец лога.",
    };
    EXPECT_EQ(tail, expected);
    EXPECT_EQ(lines[2], "INFO. Инициализация движка v.0.1.2:");
  }
}

TEST_F(ProgramTest, TheLogFolderFollowsHomeWithoutXdgStateHome) {
  const Outcome outcome = RunProgram("-u XDG_STATE_HOME HOME='" + folder.string() + "'", "-a 1");
  EXPECT_EQ(outcome.exitCode, 0);
  const std::vector<std::string> lines =
      ReadLines(folder / ".local" / "state" / "Quorvane" / "YNXLog.txt");
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back(), "INFO. Конец лога.");
}

TEST_F(ProgramTest, AnUnwritableStateFolderOnlyCostsTheLog) {
  std::ofstream(folder / "state") << "a file where the folder should be";
  const Outcome outcome = RunProgram(StateEnvironment(), "/a 1");
  EXPECT_EQ(outcome.exitCode, 0);
  EXPECT_EQ(outcome.output, "");
}

TEST_F(ProgramTest, PlatformOptions) {
  const Outcome help = RunProgram(StateEnvironment(), "--help");
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_NE(help.output.find("Usage: vellumere"), std::string::npos);
  const Outcome version = RunProgram(StateEnvironment(), "--version");
  EXPECT_EQ(version.exitCode, 0);
  EXPECT_NE(version.output.find("YNX engine 0.1.2"), std::string::npos);
  const Outcome unknown = RunProgram(StateEnvironment(), "--bogus /s");
  EXPECT_EQ(unknown.exitCode, 2);
  EXPECT_NE(unknown.output.find("unrecognized option '--bogus'"), std::string::npos);
  EXPECT_FALSE(fs::exists(LogPath())) << "options are handled before the log is opened";
}

}  // namespace
