// The screensaver's entry: platform options first, then the log file and one
// application object driven through Create, Run and Destroy.

#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/RunOptions.h"
#include "app/SceneScreensaver.h"
#include "app/gtk/RunSettingsDialog.h"
#include "engine/core/EngineLists.h"
#include "engine/core/FileMessageOutput.h"
#include "engine/core/Log.h"
#include "engine/core/Ptr.h"
#include "platform/os/ProcessCommandLine.h"
#include "platform/os/UserFolders.h"

namespace {

constexpr char USAGE[] =
    "Usage: vellumere [OPTION]... [SWITCH]\n"
    "Vellumere 3D Screensaver.\n"
    "\n"
    "Switches, as a screensaver host passes them (\"-\" may stand for \"/\"):\n"
    "  /s, /t        run the screensaver\n"
    "  /p HANDLE     draw the preview inside the window HANDLE\n"
    "  /c[:HANDLE]   show the settings dialog (also without any switch)\n"
    "  /a HANDLE     change the password: nothing to do, the run is only logged\n"
    "\n"
    "Options:\n"
    "  --windowed          run the show in a window instead of full screen\n"
    "  --size WxH          that window's size (default 640x480)\n"
    "  --window-id ID      draw the show into the X11 window ID (also taken\n"
    "                      from XSCREENSAVER_WINDOW)\n"
    "  --frames N          stop after N frames of the show\n"
    "  --screenshot FILE   write the last frame as PNG; with %d in FILE, every\n"
    "                      frame, the loading frame as 0\n"
    "  --seed N            seed the show's random choices\n"
    "  --time-step S       advance the show S seconds each frame\n"
    "  --fps-file FILE     rewrite FILE about once a second with the frames\n"
    "                      counted and the seconds they took\n"
    "\n"
    "Settings for this run only (the stored ones stay as they are):\n"
    "  --show-fps, --no-show-fps   the frame rate top left, or not\n"
    "  --clock off|12|24           the clock bottom right, and its hours\n"
    "  --music, --no-music         the show's music, or not\n"
    "  --sfx, --no-sfx             the show's sound effects, or not\n"
    "  --volume N                  the sound's volume, 0 to 100\n"
    "  --max-fps N                 draw at most N frames a second (0: no cap)\n"
    "\n"
    "As xscreensaver starts its hacks (any of these runs the show):\n"
    "  -root               draw into the window named by XSCREENSAVER_WINDOW,\n"
    "                      else into the root window\n"
    "  -window-id ID       draw into the X11 window ID\n"
    "  -fps                the same as --show-fps\n"
    "  -install, -visual NAME   accepted and ignored\n"
    "\n"
    "Other options:\n"
    "  --help              show this help and exit\n"
    "  --version           show the version and exit\n"
    "\n"
    "The log goes to $XDG_STATE_HOME/Quorvane/YNXLog.txt\n"
    "(~/.local/state/Quorvane/YNXLog.txt when XDG_STATE_HOME is not set).\n";

// Registers the log file; without a state folder the program runs unlogged.
ynx::Ptr<ynx::FileMessageOutput> OpenLogFile() {
  const std::string stateHome = ynx::UserFolders::StateHome();
  if (stateHome.empty()) return nullptr;
  const std::string folder = stateHome + "/Quorvane";
  if (!ynx::UserFolders::Create(folder)) return nullptr;
  const std::string path = folder + "/YNXLog.txt";
  ynx::Ptr<ynx::FileMessageOutput> output(
      new ynx::FileMessageOutput(ynx::String(path.c_str()), ynx::String()));
  ynx::RegisterMessageOutput(output.Get());
  return output;
}

int RunScreensaver(const ynx::RunOptions& options) {
  ynx::Ptr<ynx::FileMessageOutput> logFile;
  try {
    logFile = OpenLogFile();
    ynx::Ptr<ynx::ScreensaverApplication> application(new ynx::SceneScreensaver(options));
    application->SetSettingsDialog(&ynx::RunSettingsDialog);
    if (application->Create() != 0) {
      ynx::LogError("Невозможно создать скринсейвер.");
    } else {
      ynx::LogInfo("Сейвер создан.");
      if (application->Run() != 0) {
        ynx::LogError("Работа скринсейвера завершена некорректно.");
      } else {
        ynx::LogInfo("Работа скринсейвера завершена корректно.");
      }
    }
    if (application->Destroy() != 0) ynx::LogError("Ошибка при окончании работы скринсейвера.");
    application = nullptr;
    ynx::LogInfo("Конец лога.");
    return 0;
  } catch (...) {
    ynx::LogError("Конец лога вследствии ошибки");
    ynx::UnregisterMessageOutput(logFile.Get());
    return 1;
  }
}

}  // namespace

int main() {
  const ynx::ProcessCommandLine& commandLine = ynx::ProcessCommandLine::Current();
  if (!commandLine.Error().empty()) {
    std::fprintf(stderr, "vellumere: %s\nTry 'vellumere --help' for more information.\n",
                 commandLine.Error().c_str());
    return 2;
  }
  if (commandLine.Has("help")) {
    std::fputs(USAGE, stdout);
    return 0;
  }
  if (commandLine.Has("version")) {
    std::printf("vellumere (Vellumere 3D Screensaver) %s\nYNX engine %d.%d.%d\n", YNX_PROGRAM_VERSION,
                ynx::ENGINE_VERSION_MAJOR, ynx::ENGINE_VERSION_MINOR, ynx::ENGINE_VERSION_BUILD);
    return 0;
  }
  ynx::RunOptions options;
  std::string error;
  if (!ynx::RunOptions::Parse(commandLine, std::getenv("XSCREENSAVER_WINDOW"), options, error)) {
    std::fprintf(stderr, "vellumere: %s\nTry 'vellumere --help' for more information.\n", error.c_str());
    return 2;
  }
  // Held until the process ends, so that the OpenGL driver stays loaded and
  // leak checkers running at exit can still name what it allocated. Only
  // with a display: without one there is no driver, and SDL would complain.
  const char* display = std::getenv("DISPLAY");
  if (display != nullptr && display[0] != '\0') SDL_InitSubSystem(SDL_INIT_VIDEO);
  return RunScreensaver(options);
}
