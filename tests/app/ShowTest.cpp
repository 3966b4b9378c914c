// The show as a user meets it: the program started on the virtual display,
// its log, the frames it writes, and the input that ends it.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <cstdio>
#include <functional>
#include <set>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "app/Overlay.h"
#include "engine/io/PngFile.h"
#include "tests/app/ProgramFixture.h"

// Last: Xlib's macros (None, Status) would break the headers above.
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/Xrandr.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

namespace {

using namespace ynx::test;
using Clock = std::chrono::steady_clock;

constexpr const char* WINDOW_TITLE = "Vellumere 3D Screensaver";

std::string ToHex(unsigned long value) {
  char text[32];
  std::snprintf(text, sizeof(text), "%lx", value);
  return text;
}

class ShowTest : public ProgramTest {
 public:
  void TearDown() override {
    if (child > 0) {
      kill(child, SIGKILL);
      waitpid(child, nullptr, 0);
    }
    if (display != nullptr) XCloseDisplay(display);
    ProgramTest::TearDown();
  }

  // Starts the program on the test's display with its own folders, and
  // the environment variables given.
  void Start(const std::vector<std::string>& arguments,
             const std::vector<std::pair<std::string, std::string>>& environment = {}) {
    const std::string state = (folder / "state").string();
    const std::string config = (folder / "config").string();
    const std::string temporary = (folder / "tmp").string();
    fs::create_directories(temporary);
    child = fork();
    if (child == 0) {
      setenv("XDG_STATE_HOME", state.c_str(), 1);
      setenv("XDG_CONFIG_HOME", config.c_str(), 1);
      setenv("TMPDIR", temporary.c_str(), 1);
      setenv("LC_ALL", "C", 1);
      for (const auto& [name, value] : environment) setenv(name.c_str(), value.c_str(), 1);
      std::vector<char*> argv{const_cast<char*>(VELLUMERE_PATH)};
      for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
      argv.push_back(nullptr);
      execv(VELLUMERE_PATH, argv.data());
      _exit(127);
    }
  }

  // The exit code, or -1 when the program is still running after `seconds`.
  int WaitForExit(double seconds) {
    const auto end = Clock::now() + std::chrono::duration<double>(seconds);
    while (Clock::now() < end) {
      int status = 0;
      if (waitpid(child, &status, WNOHANG) == child) {
        child = 0;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return -1;
  }

  bool WaitForLogLine(const std::string& wanted, double seconds) {
    const auto end = Clock::now() + std::chrono::duration<double>(seconds);
    while (Clock::now() < end) {
      const std::vector<std::string> lines = ReadLines(LogPath());
      if (std::find(lines.begin(), lines.end(), wanted) != lines.end()) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
  }

  // A window found by its title among the root's children; 0 for none.
  Window FindWindow(const char* title) {
    if (display == nullptr) display = XOpenDisplay(nullptr);
    if (display == nullptr) return 0;
    Window root = 0, parent = 0, *children = nullptr;
    unsigned int count = 0;
    Window found = 0;
    if (XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count) != 0) {
      for (unsigned int i = 0; i < count && found == 0; ++i) {
        char* name = nullptr;
        if (XFetchName(display, children[i], &name) != 0 && name != nullptr) {
          if (std::strcmp(name, title) == 0) found = children[i];
          XFree(name);
        }
      }
      XFree(children);
    }
    return found;
  }

  // The pixels of a strip of the window that are not black.
  int LitPixels(Window window, int left, int width, int height) {
    XImage* image = XGetImage(display, window, left, 0, width, height, AllPlanes, ZPixmap);
    if (image == nullptr) return 0;
    int lit = 0;
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) lit += (XGetPixel(image, x, y) & 0xffffff) != 0;
    }
    XDestroyImage(image);
    return lit;
  }

  // The same, read back until there are `wanted` of them or ten seconds
  // have passed.
  int WaitForLitPixels(Window window, int width, int height, int wanted, int left = 0) {
    int lit = 0;
    for (int attempt = 0; attempt < 100 && lit < wanted; ++attempt) {
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
      lit = LitPixels(window, left, width, height);
    }
    return lit;
  }

  // How many colours the window shows now.
  int DistinctColours(Window window, int width, int height) {
    XImage* image = XGetImage(display, window, 0, 0, width, height, AllPlanes, ZPixmap);
    if (image == nullptr) return 0;
    std::set<unsigned long> colours;
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) colours.insert(XGetPixel(image, x, y) & 0xffffff);
    }
    XDestroyImage(image);
    return static_cast<int>(colours.size());
  }

  void MovePointer(int x, int y) {
    XTestFakeMotionEvent(display, DefaultScreen(display), x, y, CurrentTime);
    XSync(display, False);
    // One frame at least, so that each move is its own event.
    std::this_thread::sleep_for(std::chrono::milliseconds(120));
  }

  pid_t child = 0;
  Display* display = nullptr;
};

// Pixels of a frame brighter than the black of the letterbox, in a box of
// screen units with y from the bottom.
struct Box {
  float left, bottom, right, top;
};

int BrightPixels(const ynx::Image& picture, const Box& box) {
  const int width = static_cast<int>(picture.GetWidth());
  const int height = static_cast<int>(picture.GetHeight());
  const uint8_t* data = picture.GetData();
  int count = 0;
  // Rows are stored bottom first, as the box counts them.
  for (int y = std::max(0, static_cast<int>(box.bottom * height)); y < std::min(height, static_cast<int>(box.top * height)); ++y) {
    for (int x = std::max(0, static_cast<int>(box.left * width)); x < std::min(width, static_cast<int>(box.right * width)); ++x) {
      const uint8_t* pixel = data + (static_cast<size_t>(y) * width + x) * 3;
      if (pixel[0] + pixel[1] + pixel[2] > 300) ++count;
    }
  }
  return count;
}

TEST(OverlayTextTest, ClockAndFrameRateTexts) {
  struct Case {
    int hour, minute, second;
    bool hour24;
    const char* text;
  };
  for (const Case& c : {Case{14, 5, 9, true, "14:05:09"}, Case{14, 5, 9, false, "2:05:09 pm "},
                        Case{0, 30, 0, false, "0:30:00 am "}, Case{12, 0, 0, false, "12:00:00 pm "},
                        Case{23, 59, 59, true, "23:59:59"}, Case{11, 10, 10, false, "11:10:10 am "}}) {
    EXPECT_EQ(ynx::Overlay::ClockText(c.hour, c.minute, c.second, c.hour24), c.text);
  }
  EXPECT_EQ(ynx::Overlay::FpsText(59.2), "60");
  EXPECT_EQ(ynx::Overlay::FpsText(60.0), "60");
  EXPECT_EQ(ynx::Overlay::FpsText(0.0), "0");
  // The 24-hour clock ends half a glyph in from the right edge.
  EXPECT_FLOAT_EQ(ynx::Overlay::ClockX(8, true) + 8 * ynx::Overlay::GLYPH_WIDTH, 1.0f - 0.01875f);
  EXPECT_FLOAT_EQ(ynx::Overlay::ClockX(12, false), 1.0f - 12 * 0.0375f + 0.01875f);
}

// The whole of mode 1 in a window: every start-up and teardown line in
// order, the loading frame and the last frame, with the frame rate top left
// and the clock bottom right at two window sizes.
TEST_F(ShowTest, ModeOneShowsTheSceneAndEndsInOrder) {
  StoreSettings({{"ShowFPS", "dword:00000001"}, {"Hour24", "dword:00000001"}});
  struct Run {
    const char* size;
    const char* frames;
    int width, height;
  };
  for (const Run& run : {Run{"640x480", "100", 640, 480}, Run{"800x450", "3", 800, 450}}) {
    SCOPED_TRACE(run.size);
    const std::string shots = (folder / "shot%d.png").string();
    Start({"--windowed", "--size", run.size, "--frames", run.frames, "--time-step", "0.2", "--seed", "7",
           "--screenshot", shots, "/s"});
    ASSERT_EQ(WaitForExit(240.0), 0);
    const std::vector<std::string> lines = ReadLines(LogPath());
    EXPECT_TRUE(InOrder(lines, {"INFO. Режим скринсейвера 1.", "INFO. Значения параметров прочитаны из реестра.",
                                "INFO. Значения локальных данных загружены.", "INFO. Загружается кодек [RAR2FileCodec].",
                                "INFO. Скринсейвер инициализирован.",
                                std::string("INFO. Создание системного окна [") + WINDOW_TITLE + "].",
                                "INFO. Окна скринсейвера созданы.", "INFO. LoadingTexture Loaded",
                                "INFO. Кеширование...", "INFO. Shadowmap", "INFO. Кеширование закончено.",
                                "INFO. Сейвер создан.", "INFO. Работа скринсейвера завершена корректно.",
                                "INFO. Окна скринсейвера удалены.", "INFO. Скринсейвер завершил работу.",
                                "INFO. Конец лога."}));
    for (const std::string& line : lines) EXPECT_NE(line.rfind("ERROR.", 0), 0u) << line;

    std::string error;
    const ynx::Ptr<ynx::Image> loading = ynx::PngFile::Read((folder / "shot0.png").string(), error);
    ASSERT_TRUE(loading) << error;
    EXPECT_EQ(static_cast<int>(loading->GetWidth()), run.width);
    EXPECT_EQ(static_cast<int>(loading->GetHeight()), run.height);
    // The picture covers the green the frame was cleared to.
    const uint8_t* pixel = loading->GetData();
    int green = 0;
    for (size_t i = 0; i < static_cast<size_t>(run.width) * run.height; ++i, pixel += 3) {
      green += pixel[0] < 30 && pixel[1] > 220 && pixel[2] < 30;
    }
    EXPECT_EQ(green, 0);

    const ynx::Ptr<ynx::Image> last =
        ynx::PngFile::Read((folder / (std::string("shot") + run.frames + ".png")).string(), error);
    ASSERT_TRUE(last) << error;
    const float clockLeft = ynx::Overlay::ClockX(8, true);
    const float clockRight = 1.0f - 0.01875f;
    // Digits in both places, and nothing bright beside them in the bars.
    EXPECT_GT(BrightPixels(*last, {0.009375f, 0.9f, 0.009375f + 2 * 0.0375f, 0.975f}), 20);
    EXPECT_GT(BrightPixels(*last, {clockLeft, 0.025f, clockRight, 0.1f}), 60);
    EXPECT_EQ(BrightPixels(*last, {0.0f, 0.0f, clockLeft - 0.01f, 0.1f}), 0);
    EXPECT_EQ(BrightPixels(*last, {clockRight + 0.005f, 0.0f, 1.0f, 0.1f}), 0);
    EXPECT_EQ(BrightPixels(*last, {0.2f, 0.9f, 1.0f, 1.0f}), 0);
    fs::remove_all(folder / "state");
  }
}

// Each way a user ends the saver ends it cleanly: a key, a button, closing
// the window, the eleventh mouse move when moves count (ten are not
// enough), and the terminate signal a host sends.
TEST_F(ShowTest, InputEndsTheSaverCleanly) {
  struct Case {
    const char* name;
    bool exitOnMouseMove;
    std::function<void(ShowTest&, Window)> act;
  };
  const Case cases[] = {
      {"key press", false,
       [](ShowTest& test, Window) {
         test.MovePointer(100, 100);
         const KeyCode key = XKeysymToKeycode(test.display, XK_a);
         XTestFakeKeyEvent(test.display, key, True, CurrentTime);
         XTestFakeKeyEvent(test.display, key, False, CurrentTime);
         XSync(test.display, False);
       }},
      {"button press", false,
       [](ShowTest& test, Window) {
         test.MovePointer(120, 120);
         XTestFakeButtonEvent(test.display, 1, True, CurrentTime);
         XTestFakeButtonEvent(test.display, 1, False, CurrentTime);
         XSync(test.display, False);
       }},
      {"window closed", false,
       [](ShowTest& test, Window window) {
         XEvent event{};
         event.xclient.type = ClientMessage;
         event.xclient.window = window;
         event.xclient.message_type = XInternAtom(test.display, "WM_PROTOCOLS", False);
         event.xclient.format = 32;
         event.xclient.data.l[0] = static_cast<long>(XInternAtom(test.display, "WM_DELETE_WINDOW", False));
         event.xclient.data.l[1] = CurrentTime;
         XSendEvent(test.display, window, False, NoEventMask, &event);
         XSync(test.display, False);
       }},
      {"eleventh mouse move", true,
       [](ShowTest& test, Window) {
         for (int move = 0; move < 10; ++move) test.MovePointer(50 + move * 20, 60 + move * 10);
         std::this_thread::sleep_for(std::chrono::milliseconds(800));
         EXPECT_EQ(test.WaitForExit(0.2), -1) << "ten moves are tolerated";
         test.MovePointer(400, 300);
       }},
      {"terminate signal", false, [](ShowTest& test, Window) { kill(test.child, SIGTERM); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove_all(folder);
    fs::create_directories(folder);
    StoreSettings({{"ExitOnMouseMove", c.exitOnMouseMove ? "dword:00000001" : "dword:00000000"}});
    if (display == nullptr) display = XOpenDisplay(nullptr);
    ASSERT_NE(display, nullptr);
    // The pointer waits outside the window, so that only the test's moves count.
    XTestFakeMotionEvent(display, DefaultScreen(display), DisplayWidth(display, 0) - 5,
                         DisplayHeight(display, 0) - 5, CurrentTime);
    XSync(display, False);
    fs::remove(LogPath());
    Start({"--windowed", "/s"});
    ASSERT_TRUE(WaitForLogLine("INFO. Сейвер создан.", 120.0));
    const Window window = FindWindow(WINDOW_TITLE);
    ASSERT_NE(window, 0u);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    c.act(*this, window);
    EXPECT_EQ(WaitForExit(60.0), 0);
    const std::vector<std::string> lines = ReadLines(LogPath());
    EXPECT_TRUE(InOrder(lines, {"INFO. Работа скринсейвера завершена корректно.", "INFO. Скринсейвер завершил работу.",
                                "INFO. Конец лога."}));
  }
}

// The preview as a settings panel hosts it: drawn into the panel's window,
// and ended with full teardown when that window goes, leaving no file.
TEST_F(ShowTest, PreviewDrawsIntoTheHostWindowUntilItGoes) {
  display = XOpenDisplay(nullptr);
  ASSERT_NE(display, nullptr);
  const Window host = XCreateSimpleWindow(display, DefaultRootWindow(display), 700, 500, 152, 112, 0, 0, 0);
  XMapWindow(display, host);
  XSync(display, False);
  Start({"/p", std::to_string(host)});
  // The picture shows once the child is there and has drawn.
  EXPECT_GE(WaitForLitPixels(host, 152, 112, 152 * 112 / 2), 152 * 112 / 2) << "the picture fills the host window";
  EXPECT_EQ(WaitForExit(0.5), -1) << "the preview waits for its host";
  XDestroyWindow(display, host);
  XSync(display, False);
  EXPECT_EQ(WaitForExit(30.0), 0);
  EXPECT_TRUE(InOrder(ReadLines(LogPath()),
                      {"INFO. Режим скринсейвера 0.", "INFO. Окна скринсейвера созданы.", "INFO. Сейвер создан.",
                       "INFO. Работа скринсейвера завершена корректно.", "INFO. Окна скринсейвера удалены.",
                       "INFO. Скринсейвер завершил работу.", "INFO. Конец лога."}));
  EXPECT_TRUE(fs::is_empty(folder / "tmp"));
}

// The show inside a window another program made, named by the option or as
// xscreensaver hands its hacks one (its window in the environment, "-root"
// and no switch): drawn there, a picture and not a plain fill, and ended by
// the terminate signal with the whole teardown.
TEST_F(ShowTest, ShowDrawsIntoAGivenWindow) {
  display = XOpenDisplay(nullptr);
  ASSERT_NE(display, nullptr);
  const Window host = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 320, 240, 0, 0, 0);
  XMapWindow(display, host);
  XSync(display, False);
  const std::string id = std::to_string(host);
  const Window root = DefaultRootWindow(display);
  struct Case {
    const char* name;
    std::vector<std::string> arguments;
    std::vector<std::pair<std::string, std::string>> environment;
    Window drawn;
    const char* showFps;
  };
  const Case cases[] = {
      {"option", {"--window-id", id, "--time-step", "0.5", "/s"}, {}, host, "INFO. ShowFPS: false"},
      {"xscreensaver", {"-root", "-fps"}, {{"XSCREENSAVER_WINDOW", "0x" + ToHex(host)}}, host, "INFO. ShowFPS: true"},
      {"xscreensaver without a window", {"-root", "-install", "-visual", "default"}, {}, root, "INFO. ShowFPS: false"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove(LogPath());
    Start(c.arguments, c.environment);
    ASSERT_TRUE(WaitForLogLine("INFO. Сейвер создан.", 120.0));
    EXPECT_GE(WaitForLitPixels(c.drawn, 320, 240, 2000), 2000) << "the scene shows in the host window";
    EXPECT_GT(DistinctColours(c.drawn, 320, 240), 16) << "a picture, not a fill";
    if (c.drawn == host) {
      // The host grows, and the show with it into the new strip.
      XResizeWindow(display, host, 480, 240);
      XSync(display, False);
      EXPECT_GE(WaitForLitPixels(host, 160, 240, 1000, 320), 1000) << "the show follows the host's size";
      XResizeWindow(display, host, 320, 240);
      XSync(display, False);
    }
    kill(child, SIGTERM);
    EXPECT_EQ(WaitForExit(60.0), 0);
    const std::vector<std::string> lines = ReadLines(LogPath());
    EXPECT_TRUE(InOrder(lines, {"INFO. Режим скринсейвера 1.", c.showFps,
                                "INFO. Работа скринсейвера завершена корректно.", "INFO. Окна скринсейвера удалены.",
                                "INFO. Скринсейвер завершил работу.", "INFO. Конец лога."}));
    for (const std::string& line : lines) EXPECT_NE(line.rfind("ERROR.", 0), 0u) << line;
    // Black again between the runs, so the second draws for itself.
    XClearWindow(display, host);
    XSync(display, False);
  }
  XDestroyWindow(display, host);
}

// Full screen on a desktop of two monitors, the primary on the right: the
// show there, the other one black over the desktop's green, a click on it
// ending the saver, and both gone at the end. The virtual server splits its one output with RandR.
TEST_F(ShowTest, FullScreenTakesThePrimaryMonitorAndBlacksTheOthers) {
  display = XOpenDisplay(nullptr);
  ASSERT_NE(display, nullptr);
  const Window root = DefaultRootWindow(display);
  const int width = DisplayWidth(display, DefaultScreen(display));
  const int height = DisplayHeight(display, DefaultScreen(display));
  const int half = width / 2;
  XRRScreenResources* resources = XRRGetScreenResources(display, root);
  ASSERT_NE(resources, nullptr);
  ASSERT_GE(resources->noutput, 1);
  RROutput output = resources->outputs[0];
  struct Split {
    const char* name;
    int x;
    bool primary;
    RROutput* outputs;
    int outputCount;
  };
  const Split splits[] = {{"LEFT", 0, false, &output, 1}, {"RIGHT", half, true, nullptr, 0}};
  for (const Split& split : splits) {
    XRRMonitorInfo monitor{};
    monitor.name = XInternAtom(display, split.name, False);
    monitor.primary = split.primary;
    monitor.x = split.x;
    monitor.width = half;
    monitor.height = height;
    monitor.mwidth = 200;
    monitor.mheight = 300;
    monitor.outputs = split.outputs;
    monitor.noutput = split.outputCount;
    XRRSetMonitor(display, root, &monitor);
  }
  XRRFreeScreenResources(resources);
  XSetWindowBackground(display, root, 0x00ff00);
  XClearWindow(display, root);
  XSync(display, False);

  StoreSettings({});
  fs::remove(LogPath());
  Start({"/s"});
  EXPECT_TRUE(WaitForLogLine("INFO. Сейвер создан.", 120.0));
  EXPECT_GE(WaitForLitPixels(root, half, height, half * height / 4, half), half * height / 4)
      << "the show on the primary monitor";
  EXPECT_EQ(LitPixels(root, 0, half, height), 0) << "the other monitor black";
  // A click on the black monitor ends the saver as one on the show does.
  MovePointer(half / 2, height / 2);
  XTestFakeButtonEvent(display, 1, True, CurrentTime);
  XTestFakeButtonEvent(display, 1, False, CurrentTime);
  XSync(display, False);
  EXPECT_EQ(WaitForExit(60.0), 0);
  for (const std::string& line : ReadLines(LogPath())) EXPECT_NE(line.rfind("ERROR.", 0), 0u) << line;
  EXPECT_EQ(LitPixels(root, 0, 1, 1), 1) << "the desktop shows again";

  for (const Split& split : splits) XRRDeleteMonitor(display, root, XInternAtom(display, split.name, False));
  XSetWindowBackground(display, root, 0);
  XClearWindow(display, root);
  XSync(display, False);
}

// The settings dialog (mode 3) shows, and a host's terminate signal closes
// it as Cancel: nothing stored, a clean end.
TEST_F(ShowTest, SettingsDialogClosesOnTerminate) {
  StoreSettings({});
  const auto registryBefore = fs::last_write_time(RegistryPath());
  fs::remove(LogPath());
  Start({"/c"});
  Window dialog = 0;
  for (int attempt = 0; attempt < 300 && dialog == 0; ++attempt) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    dialog = FindWindow("Vellumere 3D Screensaver Configuration");
  }
  ASSERT_NE(dialog, 0u);
  kill(child, SIGTERM);
  EXPECT_EQ(WaitForExit(30.0), 0);
  EXPECT_TRUE(InOrder(ReadLines(LogPath()),
                      {"INFO. Режим скринсейвера 3.", "INFO. Запущен режим конфигурирования.",
                       "INFO. Работа скринсейвера завершена корректно.", "INFO. Конец лога."}));
  EXPECT_EQ(fs::last_write_time(RegistryPath()), registryBefore) << "Cancel stores nothing";
}

}  // namespace
