#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "app/PreviewWindow.h"
#include "engine/io/Image.h"
#include "tests/support/CapturedLog.h"

// After the engine's headers: Xlib defines macros such as Status and None.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace ynx {
namespace {

bool WaitFor(const std::function<bool()>& condition) {
  for (int waited = 0; waited < 3000; waited += 2) {
    if (condition()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return false;
}

constexpr int SIGNALS[] = {SIGTERM, SIGINT};

// The test's own handlers: a signal or X error that reaches them escaped
// the preview.
volatile sig_atomic_t strayedSignals = 0;
void CountSignal(int) { strayedSignals = strayedSignals + 1; }
int strayedErrors = 0;
int CountError(Display*, XErrorEvent*) {
  ++strayedErrors;
  return 0;
}

constexpr unsigned long RED = 0xFF0000, GREEN = 0x00FF00, BLUE = 0x0000FF, WHITE = 0xFFFFFF;

struct Probe {
  int x;
  int y;
  unsigned long colour;
};

// Points of the quadrant picture at a size, outside the blends between
// the quadrants.
std::vector<Probe> Quarters(int width, int height) {
  return {{width / 8, height / 8, RED},
          {width * 7 / 8, height / 8, GREEN},
          {width / 8, height * 7 / 8, BLUE},
          {width * 7 / 8, height * 7 / 8, WHITE}};
}

// The other program: a window of its own, made on its own connection.
class PreviewWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    foreign = XOpenDisplay(nullptr);
    ASSERT_NE(foreign, nullptr);
    previousErrorHandler = XSetErrorHandler(&CountError);
    struct sigaction counting {};
    counting.sa_handler = &CountSignal;
    for (int i : {0, 1}) sigaction(SIGNALS[i], &counting, &previousSignals[i]);
    strayedSignals = 0;
    strayedErrors = 0;
    parent = MakeParent(24);
    // Two by two, bottom row first: blue and white under red and green.
    const uint8_t pixels[] = {0, 0, 255, 255, 255, 255, 255, 0, 0, 0, 255, 0};
    std::copy(std::begin(pixels), std::end(pixels), picture.GetData());
  }
  void TearDown() override {
    if (runner.joinable()) {
      preview.Stop();
      runner.join();
    }
    preview.Destroy();
    EXPECT_EQ(XSetErrorHandler(previousErrorHandler), &CountError) << "the test's handler is back";
    EXPECT_EQ(strayedSignals, 0);
    EXPECT_EQ(strayedErrors, 0);
    for (int i : {0, 1}) sigaction(SIGNALS[i], &previousSignals[i], nullptr);
    XCloseDisplay(foreign);
  }

  Window MakeParent(int depth) {
    XVisualInfo info{};
    if (!XMatchVisualInfo(foreign, DefaultScreen(foreign), depth, TrueColor, &info)) return 0;
    XSetWindowAttributes attributes{};
    attributes.colormap =
        XCreateColormap(foreign, DefaultRootWindow(foreign), info.visual, AllocNone);
    attributes.background_pixel = 0x808080;
    const Window made =
        XCreateWindow(foreign, DefaultRootWindow(foreign), 0, 0, 320, 240, 0, depth, InputOutput,
                      info.visual, CWColormap | CWBorderPixel | CWBackPixel, &attributes);
    XMapWindow(foreign, made);
    XSync(foreign, False);
    return made;
  }

  void StartRun() {
    done = false;
    runner = std::thread([this] {
      thread = gettid();
      result = preview.Run();
      done = true;
    });
  }
  // Run's result, once it has returned.
  int32_t Finish() {
    EXPECT_TRUE(WaitFor([this] { return done.load(); })) << "Run returns";
    preview.Stop();
    runner.join();
    return result;
  }

  unsigned long Pixel(int x, int y) {
    XImage* image = XGetImage(foreign, parent, x, y, 1, 1, AllPlanes, ZPixmap);
    if (image == nullptr) return 0xDEADBEEF;
    const unsigned long pixel = XGetPixel(image, 0, 0);
    XDestroyImage(image);
    return pixel;
  }
  bool Shows(const std::vector<Probe>& probes) {
    return WaitFor([&] {
      for (const Probe& probe : probes) {
        if ((Pixel(probe.x, probe.y) & 0xFFFFFF) != probe.colour) return false;
      }
      return true;
    });
  }
  void ExpectFilled(Window child, int width, int height) {
    XWindowAttributes attributes;
    ASSERT_NE(XGetWindowAttributes(foreign, child, &attributes), 0);
    EXPECT_EQ((std::vector<int>{attributes.x, attributes.y, attributes.width, attributes.height}),
              (std::vector<int>{0, 0, width, height}));
  }
  unsigned int Children() {
    Window root = 0, up = 0, *children = nullptr;
    unsigned int count = 0;
    XQueryTree(foreign, parent, &root, &up, &children, &count);
    if (children != nullptr) XFree(children);
    return count;
  }

  Display* foreign = nullptr;
  Window parent = 0;
  XErrorHandler previousErrorHandler = nullptr;
  struct sigaction previousSignals[2]{};
  Image picture{String("quadrants"), Image::FORMAT_RGB, 2, 2};
  PreviewWindow preview;
  std::thread runner;
  std::atomic<pid_t> thread{0};
  std::atomic<bool> done{false};
  int32_t result = -1;
  test::CapturedLog log;
};

TEST_F(PreviewWindowTest,
       FillsTheParentWithThePictureScaledSmoothlyRedrawnAndResizedUntilTheParentGoes) {
  ASSERT_TRUE(preview.Create(parent, String("Vellumere"), picture));
  const Window child = preview.GetWindow();
  ExpectFilled(child, 320, 240);
  char* title = nullptr;
  ASSERT_NE(XFetchName(foreign, child, &title), 0);
  EXPECT_STREQ(title, "Vellumere");
  XFree(title);

  StartRun();
  EXPECT_TRUE(Shows(Quarters(320, 240)));
  EXPECT_EQ(getpriority(PRIO_PROCESS, static_cast<id_t>(thread.load())), 19) << "idle priority";
  // Halfway between the red and the green source pixel: a blend, not a step.
  const unsigned long middle = Pixel(160, 30);
  EXPECT_NEAR(static_cast<int>(middle >> 16 & 0xFF), 128, 8) << std::hex << middle;
  EXPECT_NEAR(static_cast<int>(middle >> 8 & 0xFF), 128, 8) << std::hex << middle;
  EXPECT_EQ(middle & 0xFF, 0u);

  // Painted over by someone else, then exposed: the picture comes back.
  const GC black = XCreateGC(foreign, child, 0, nullptr);
  XFillRectangle(foreign, child, black, 0, 0, 320, 240);
  XSync(foreign, False);
  EXPECT_EQ(Pixel(40, 30) & 0xFFFFFF, 0u);
  XClearArea(foreign, child, 0, 0, 0, 0, True);
  XFreeGC(foreign, black);
  EXPECT_TRUE(Shows(Quarters(320, 240))) << "redrawn on expose";

  for (const auto& [width, height] : {std::pair{100, 50}, std::pair{400, 300}}) {
    XResizeWindow(foreign, parent, width, height);
    XSync(foreign, False);
    EXPECT_TRUE(Shows(Quarters(width, height))) << width << "x" << height;
    ExpectFilled(child, width, height);
  }

  XDestroyWindow(foreign, parent);
  XSync(foreign, False);
  EXPECT_EQ(Finish(), 0);
  log.Clear();
  preview.Destroy();
  EXPECT_EQ(preview.GetWindow(), 0u);
  EXPECT_TRUE(log.Lines().empty());
}

TEST_F(PreviewWindowTest, PixelsOfAThirtyTwoBitWindowAreOpaque) {
  parent = MakeParent(32);
  if (parent == 0) GTEST_SKIP() << "no 32-bit visual";
  ASSERT_TRUE(preview.Create(parent, String("Vellumere"), picture));
  StartRun();
  EXPECT_TRUE(Shows(Quarters(320, 240)));
  EXPECT_EQ(Pixel(40, 30), 0xFFFF0000u);
}

TEST_F(PreviewWindowTest, ACloseSigtermSigintOrStopEndsTheLoopAndDestroyRemovesTheChild) {
  const std::vector<std::pair<const char*, std::function<void(Window)>>> ends = {
      {"close",
       [this](Window child) {
         XEvent close{};
         close.xclient.type = ClientMessage;
         close.xclient.window = child;
         close.xclient.message_type = XInternAtom(foreign, "WM_PROTOCOLS", False);
         close.xclient.format = 32;
         close.xclient.data.l[0] =
             static_cast<long>(XInternAtom(foreign, "WM_DELETE_WINDOW", False));
         XSendEvent(foreign, child, False, NoEventMask, &close);
         XSync(foreign, False);
       }},
      {"SIGTERM", [](Window) { kill(getpid(), SIGTERM); }},
      {"SIGINT", [](Window) { kill(getpid(), SIGINT); }},
      {"Stop", [this](Window) { preview.Stop(); }},
  };
  for (const auto& [name, end] : ends) {
    SCOPED_TRACE(name);
    ASSERT_TRUE(preview.Create(parent, String("Vellumere"), picture));
    StartRun();
    // Drawn means waiting, with the handlers in place.
    ASSERT_TRUE(Shows(Quarters(320, 240)));
    end(preview.GetWindow());
    EXPECT_EQ(Finish(), 0);
    for (int number : SIGNALS) {
      struct sigaction now {};
      sigaction(number, nullptr, &now);
      EXPECT_EQ(now.sa_handler, &CountSignal) << "the previous handler is back";
    }
    EXPECT_EQ(Children(), 1u) << "the window lives until Destroy";
    preview.Destroy();
    EXPECT_EQ(Children(), 0u);
  }
}

TEST_F(PreviewWindowTest, AParentGoneBeforeTheLoopEndsItAtOnceAndDestroyIgnoresTheDeadChild) {
  for (const bool run : {true, false}) {
    SCOPED_TRACE(run ? "Run, then Destroy" : "Destroy alone");
    ASSERT_TRUE(preview.Create(parent, String("Vellumere"), picture));
    XDestroyWindow(foreign, parent);
    XSync(foreign, False);
    if (run) {
      EXPECT_EQ(preview.Run(), 0);
    }
    log.Clear();
    preview.Destroy();
    EXPECT_TRUE(log.Lines().empty());
    parent = MakeParent(24);
  }
}

TEST_F(PreviewWindowTest, CreateFailsCleanlyWithoutAParentOrADisplayAndAcceptsNoPicture) {
  const Window gone = MakeParent(24);
  XDestroyWindow(foreign, gone);
  XSync(foreign, False);
  for (const uint64_t missing : {uint64_t{0}, uint64_t{gone}}) {
    log.Clear();
    EXPECT_FALSE(preview.Create(missing, String("Vellumere"), picture));
    char line[128];
    std::snprintf(line, sizeof(line), "ERROR. Родительское окно [0x%llx] недоступно.",
                  static_cast<unsigned long long>(missing));
    EXPECT_EQ(log.Lines(), std::vector<std::string>{line});
    EXPECT_EQ(preview.GetWindow(), 0u);
    EXPECT_EQ(preview.Run(), 1);
  }

  const std::string display = std::getenv("DISPLAY");
  setenv("DISPLAY", ":4095", 1);
  log.Clear();
  EXPECT_FALSE(preview.Create(parent, String("Vellumere"), picture));
  setenv("DISPLAY", display.c_str(), 1);
  EXPECT_EQ(log.Lines(),
            std::vector<std::string>{"ERROR. Невозможно подключиться к X-серверу [:4095]."});

  // A missing picture leaves the window empty but there.
  log.Clear();
  ASSERT_TRUE(preview.Create(parent, String("Vellumere"), Image(String("preview.bmp"))));
  EXPECT_EQ(log.Lines(), std::vector<std::string>{
                             "WARNING. Нет картинки для окна предпросмотра [preview.bmp]."});
  EXPECT_EQ(Children(), 1u);
}

}  // namespace
}  // namespace ynx
