#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/Subprocess.h"

// What the tests of the program share: each test runs the installed program
// the way a host would, with its own state and configuration folders.
namespace ynx::test {

namespace fs = std::filesystem;

// Runs the installed program the way a screensaver host would, with the
// environment given as a prefix of shell assignments.
inline Outcome RunProgram(const std::string& environment, const std::string& arguments) {
  return ynx::test::RunCommand("env " + environment + " '" + VELLUMERE_PATH + "' " + arguments);
}

inline std::vector<std::string> ReadLines(const fs::path& path) {
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
  fs::path RegistryPath() const { return folder / "config" / "Quorvane" / "Registry.reg"; }
  // Own state and configuration folders, the neutral language, and no
  // display, so that a message box goes to standard error.
  std::string StateEnvironment(const std::string& language = "C") const {
    return "-u DISPLAY -u WAYLAND_DISPLAY LC_ALL=" + language + " XDG_STATE_HOME='" +
           (folder / "state").string() + "' XDG_CONFIG_HOME='" + (folder / "config").string() +
           "'";
  }
  // Rewrites stored settings as another program would, after a first run
  // has written the defaults: each entry is a value name and its new
  // REGEDIT4 data ("dword:00000001").
  void StoreSettings(const std::vector<std::pair<std::string, std::string>>& values) {
    if (!fs::exists(RegistryPath())) RunProgram(StateEnvironment(), "/a 1");
    std::string registry;
    for (const std::string& line : ReadLines(RegistryPath())) {
      std::string changed = line;
      for (const auto& [name, data] : values) {
        if (line.rfind("\"" + name + "\"=", 0) == 0) changed = "\"" + name + "\"=" + data;
      }
      registry += changed + "\n";
    }
    std::ofstream(RegistryPath()) << registry;
  }
  // The log lines from the first that starts with `first` to the one that
  // starts with `last`.
  std::vector<std::string> LogBetween(const std::string& first, const std::string& last) const {
    const std::vector<std::string> lines = ReadLines(LogPath());
    std::vector<std::string> part;
    for (const std::string& line : lines) {
      if (part.empty() && line.rfind(first, 0) != 0) continue;
      part.push_back(line);
      if (line.rfind(last, 0) == 0) break;
    }
    return part;
  }

  fs::path folder;
};

// True when the expected lines appear in this order, others between them.
inline bool InOrder(const std::vector<std::string>& lines, const std::vector<std::string>& expected) {
  auto next = lines.begin();
  for (const std::string& line : expected) {
    next = std::find(next, lines.end(), line);
    if (next == lines.end()) return false;
    ++next;
  }
  return true;
}

}  // namespace ynx::test
