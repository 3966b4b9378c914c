#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "app/CommandLine.h"
#include "app/RunOptions.h"
#include "app/Settings.h"
#include "platform/os/ProcessCommandLine.h"

namespace ynx {
namespace {

struct Case {
  const char* line;
  int32_t mode;
  uint64_t parent;
};

TEST(CommandLineTest, SwitchGrammar) {
  const Case cases[] = {
      {"vellumere.scr", RUN_MODE_CONFIGURE, 0},
      {"vellumere.scr ", RUN_MODE_CONFIGURE, 0},
      {"", RUN_MODE_CONFIGURE, 0},
      {"vellumere.scr /S", RUN_MODE_SCREENSAVER, 0},
      {"vellumere.scr /s", RUN_MODE_SCREENSAVER, 0},
      {"vellumere.scr /x", RUN_MODE_SCREENSAVER, 0},
      {"vellumere.scr /", RUN_MODE_SCREENSAVER, 0},
      {"vellumere.scr -t", RUN_MODE_TEST, 0},
      {"vellumere.scr /T 55", RUN_MODE_TEST, 0},
      {"vellumere.scr -p 4242", RUN_MODE_PREVIEW, 4242},
      {"vellumere.scr /P", RUN_MODE_PREVIEW, 0},
      {"vellumere.scr /c:1234", RUN_MODE_CONFIGURE, 1234},
      {"vellumere.scr /c", RUN_MODE_CONFIGURE, 0},
      {"vellumere.scr /a 1234", RUN_MODE_PASSWORD, 1234},
      {"vellumere.scr /a x12y34", RUN_MODE_PASSWORD, 12},
      {"vellumere.scr /p 99999999999999999999999", RUN_MODE_PREVIEW, UINT64_MAX},
      // The switch is the first "/" or "-" after the program name.
      {"vellumere.scr slides /a 1", RUN_MODE_PASSWORD, 1},
      {"\"/opt/my saver/a-b/vellumere\" /p 77", RUN_MODE_PREVIEW, 77},
      {"\"/opt/my saver/a-b/vellumere\"", RUN_MODE_CONFIGURE, 0},
      {"\"/opt/unterminated -s", RUN_MODE_CONFIGURE, 0},
      {"/usr/bin/vellumere -a 5", RUN_MODE_PASSWORD, 5},
      {"/usr/bin/vellumere", RUN_MODE_CONFIGURE, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    const CommandLine result = ParseCommandLine(c.line);
    EXPECT_EQ(result.mode, c.mode);
    EXPECT_EQ(result.parentWindow, c.parent);
  }
  EXPECT_EQ(ParseCommandLine(nullptr).mode, RUN_MODE_CONFIGURE);
}

TEST(ProcessCommandLineTest, RebuildsTheLineAndTakesOutLongOptions) {
  const ProcessCommandLine plain = ProcessCommandLine::FromArguments({"/usr/bin/vellumere", "/a", "1234"});
  EXPECT_EQ(plain.Line(), "/usr/bin/vellumere /a 1234");
  EXPECT_TRUE(plain.Error().empty());
  EXPECT_FALSE(plain.Has("help"));

  const ProcessCommandLine quoted =
      ProcessCommandLine::FromArguments({"/opt/my saver/vellumere", "--version", "-p", "4242"});
  EXPECT_EQ(quoted.Line(), "\"/opt/my saver/vellumere\" -p 4242");
  EXPECT_TRUE(quoted.Has("version"));
  EXPECT_EQ(ParseCommandLine(quoted.Line().c_str()).parentWindow, 4242u);

  const ProcessCommandLine help = ProcessCommandLine::FromArguments({"vellumere", "--help"});
  EXPECT_TRUE(help.Has("help"));
  EXPECT_EQ(help.Line(), "vellumere");
  EXPECT_EQ(ParseCommandLine(help.Line().c_str()).mode, RUN_MODE_CONFIGURE);

  const ProcessCommandLine unknown = ProcessCommandLine::FromArguments({"vellumere", "--fly", "/s"});
  EXPECT_EQ(unknown.Error(), "unrecognized option '--fly'");
  // A lone "--" belongs to the switch grammar.
  EXPECT_EQ(ProcessCommandLine::FromArguments({"vellumere", "--"}).Line(), "vellumere --");
}

TEST(RunOptionsTest, ValuesAndTheirMistakes) {
  struct Case {
    std::vector<std::string> arguments;
    const char* environment;
    const char* error;
  };
  const Case cases[] = {
      {{"--frames", "0"}, nullptr, "invalid value for --frames: '0'"},
      {{"--frames=-3"}, nullptr, "invalid value for --frames: '-3'"},
      {{"--size", "640"}, nullptr, "invalid value for --size: '640'"},
      {{"--size", "10x10"}, nullptr, "invalid value for --size: '10x10'"},
      {{"--window-id", "0x"}, nullptr, "invalid value for --window-id: '0x'"},
      {{}, "window", "invalid value for XSCREENSAVER_WINDOW: 'window'"},
      {{"--time-step", "nan"}, nullptr, "invalid value for --time-step: 'nan'"},
      {{"--seed", "4294967296"}, nullptr, "invalid value for --seed: '4294967296'"},
      {{"--fps-file="}, nullptr, "invalid value for --fps-file: ''"},
      {{"--clock", "13"}, nullptr, "invalid value for --clock: '13'"},
      {{"--volume", "101"}, nullptr, "invalid value for --volume: '101'"},
      {{"--volume", "-1"}, nullptr, "invalid value for --volume: '-1'"},
      {{"--max-fps", "1001"}, nullptr, "invalid value for --max-fps: '1001'"},
      {{"--music", "--no-music"}, nullptr, "options --music and --no-music contradict each other"},
      {{"-root", "-window-id", "x"}, nullptr, "invalid value for --window-id: 'x'"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> arguments{"vellumere"};
    arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
    RunOptions options;
    std::string error;
    EXPECT_FALSE(RunOptions::Parse(ProcessCommandLine::FromArguments(arguments), c.environment, options, error));
    EXPECT_EQ(error, c.error);
  }

  RunOptions options;
  std::string error;
  ASSERT_TRUE(RunOptions::Parse(
      ProcessCommandLine::FromArguments({"vellumere", "--windowed", "--size=1280x720", "--frames", "200",
                                         "--screenshot", "out%d.png", "--seed", "7", "--time-step", "0.04", "--fps-file", "fps.txt", "/s"}),
      "0x2a", options, error))
      << error;
  EXPECT_TRUE(options.windowed);
  EXPECT_EQ(options.width, 1280);
  EXPECT_EQ(options.height, 720);
  EXPECT_EQ(options.windowId, 0x2au) << "the environment names the window without the option";
  EXPECT_EQ(options.frames, 200);
  EXPECT_EQ(options.ScreenshotName(0), "out0.png");
  EXPECT_TRUE(options.seeded);
  EXPECT_EQ(options.seed, 7u);
  EXPECT_DOUBLE_EQ(options.timeStep, 0.04);
  EXPECT_EQ(options.fpsFile, "fps.txt");
  ASSERT_TRUE(RunOptions::Parse(ProcessCommandLine::FromArguments({"vellumere", "--window-id", "77"}), "0x2a",
                                options, error));
  EXPECT_EQ(options.windowId, 77u) << "the option wins";
  EXPECT_EQ(ProcessCommandLine::FromArguments({"vellumere", "--frames"}).Error(),
            "option '--frames' requires an argument");
  EXPECT_EQ(ProcessCommandLine::FromArguments({"vellumere", "--windowed=1"}).Error(),
            "option '--windowed' doesn't allow an argument");
  EXPECT_EQ(ProcessCommandLine::FromArguments({"vellumere", "--frames", "3", "/s"}).Line(), "vellumere /s");
  EXPECT_EQ(ProcessCommandLine::FromArguments({"vellumere", "-visual"}).Error(), "option '-visual' requires an argument");
}

// What xscreensaver and its settings page put on the line: the hack's own
// options leave the switch grammar alone, and the run's settings go over
// the stored ones, each alone.
TEST(RunOptionsTest, HostOptionsAndRunOnlySettings) {
  struct Expected {
    bool hosted, root;
    uint64_t windowId;
    Settings settings;
  };
  Settings stored;
  stored.showFps = false;
  stored.showTime = true;
  stored.hour24 = true;
  stored.maxFps = 30;
  const auto with = [&stored](auto change) {
    Settings settings = stored;
    change(settings);
    return settings;
  };
  const std::vector<std::pair<std::vector<std::string>, Expected>> cases = {
      {{"-root"}, {true, true, 0x2a, stored}},
      {{"-root", "-install", "-visual", "default"}, {true, true, 0x2a, stored}},
      {{"-window-id", "0x51"}, {true, false, 0x51, stored}},
      {{"-fps"}, {true, false, 0x2a, with([](Settings& s) { s.showFps = true; })}},
      {{"--show-fps", "/s"}, {false, false, 0x2a, with([](Settings& s) { s.showFps = true; })}},
      {{"--clock", "off"}, {false, false, 0x2a, with([](Settings& s) { s.showTime = false; })}},
      {{"--clock=12"}, {false, false, 0x2a, with([](Settings& s) { s.hour24 = false; })}},
      {{"--no-music", "--no-sfx", "--volume", "0"},
       {false, false, 0x2a, with([](Settings& s) { s.music = s.sfx = false, s.volume = 0; })}},
      {{"--music", "--sfx", "--volume", "100"}, {false, false, 0x2a, with([](Settings& s) { s.volume = 100; })}},
      {{"--max-fps", "0"}, {false, false, 0x2a, with([](Settings& s) { s.maxFps = 0; })}},
  };
  for (const auto& [arguments, expected] : cases) {
    SCOPED_TRACE(arguments.front());
    std::vector<std::string> line{"vellumere"};
    line.insert(line.end(), arguments.begin(), arguments.end());
    const ProcessCommandLine commandLine = ProcessCommandLine::FromArguments(line);
    ASSERT_EQ(commandLine.Error(), "");
    EXPECT_EQ(commandLine.Line(), arguments.back() == "/s" ? "vellumere /s" : "vellumere");
    RunOptions options;
    std::string error;
    ASSERT_TRUE(RunOptions::Parse(commandLine, "42", options, error)) << error;
    EXPECT_EQ(options.hosted, expected.hosted);
    EXPECT_EQ(options.root, expected.root);
    EXPECT_EQ(options.windowId, expected.windowId);
    Settings settings = stored;
    options.Override(settings);
    for (const Settings::Field& field : Settings::FIELDS) {
      if (field.flag != nullptr) {
        EXPECT_EQ(settings.*field.flag, expected.settings.*field.flag) << field.key;
      } else {
        EXPECT_EQ(settings.*field.number, expected.settings.*field.number) << field.key;
      }
    }
  }
}

}  // namespace
}  // namespace ynx
