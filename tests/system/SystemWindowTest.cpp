#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "engine/system/DisplayMode.h"
#include "engine/system/InputManager.h"
#include "engine/system/MessagePump.h"
#include "engine/system/SystemCursor.h"
#include "engine/system/SystemWindow.h"
#include "engine/system/VideoSubsystem.h"
#include "tests/support/CapturedLog.h"
#include "tests/system/QueuedEvents.h"

// After the engine's headers: Xlib defines macros such as Status and None.
#include <SDL2/SDL.h>
#include <SDL2/SDL_syswm.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace ynx {
namespace {

// Pumps until the condition holds; the X server answers asynchronously.
bool PumpUntil(const std::function<bool()>& condition) {
  for (int waited = 0; waited < 2000; waited += 2) {
    PumpMessages();
    if (condition()) return true;
    SDL_Delay(2);
  }
  return false;
}

void PushKey(WindowHandle window, uint32_t type, SDL_Keycode key, SDL_Scancode position,
             uint16_t modifiers = KMOD_NONE) {
  SDL_Event event{};
  event.type = type;
  event.key.windowID = window;
  event.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
  event.key.keysym.sym = key;
  event.key.keysym.scancode = position;
  event.key.keysym.mod = modifiers;
  SDL_PushEvent(&event);
}

void PushButton(WindowHandle window, uint32_t type, uint8_t button) {
  SDL_Event event{};
  event.type = type;
  event.button.windowID = window;
  event.button.button = button;
  event.button.clicks = 2;
  event.button.x = 10;
  event.button.y = 20;
  SDL_PushEvent(&event);
}

class SystemWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(VideoSubsystem::Start());
    // No handler is registered: a dispatch only empties the queue.
    InputManager::DispatchInput();
    log.Clear();
  }
  void TearDown() override {
    if (SystemWindow::IsOpen(window)) DestroySystemWindow(window);
  }

  WindowHandle window = 0;
  test::CapturedLog log;
};

TEST_F(SystemWindowTest, AWindowedWindowHasAFrameTheClientSizeAndAClassOfItsOwn) {
  EXPECT_EQ(CreateSystemWindow(nullptr, String("Framed"), 0, false, 32, 0, 0, 320, 240), 3);
  EXPECT_EQ(log.Lines(), (std::vector<std::string>{"INFO. Создание системного окна [Framed].",
                                                   "ERROR. Указатель на окно равен 0."}));
  log.Clear();

  ASSERT_EQ(CreateSystemWindow(&window, String("Framed"), 0, false, 32, 0, 0, 320, 240), 0);
  EXPECT_EQ(log.Lines(), (std::vector<std::string>{"INFO. Создание системного окна [Framed]."}));
  ASSERT_TRUE(SystemWindow::IsOpen(window));
  const uint32_t flags = SDL_GetWindowFlags(SDL_GetWindowFromID(window));
  EXPECT_EQ(flags & SDL_WINDOW_BORDERLESS, 0u);
  EXPECT_NE(flags & SDL_WINDOW_OPENGL, 0u);
  EXPECT_NE(flags & SDL_WINDOW_SHOWN, 0u);
  int32_t width = 0;
  int32_t height = 0;
  ASSERT_TRUE(SystemWindow::GetDrawableSize(window, &width, &height));
  EXPECT_EQ(width, 320);
  EXPECT_EQ(height, 240);
  EXPECT_EQ(SystemWindow::ClassName(), "Framed Class");
  EXPECT_TRUE(SystemWindow::IsClassRegistered(String("Framed Class")));

  // One class per title, so a second window of that title cannot be made.
  WindowHandle second = 0;
  EXPECT_EQ(CreateSystemWindow(&second, String("Framed"), 0, false, 32, 0, 0, 320, 240), 1);
  EXPECT_EQ(log.Lines().back(), "ERROR. Невозможно зарегестрировать класс окна [Framed Class].");
  EXPECT_EQ(second, 0u);

  InputManager::DispatchInput();
  EXPECT_EQ(DestroySystemWindow(window), 0);
  EXPECT_EQ(test::QueuedEvents(), (std::vector<std::string>{"2,4,0,0"})) << "WM_DESTROY";
  EXPECT_FALSE(SystemWindow::IsOpen(window));
  EXPECT_EQ(SDL_GetWindowFromID(window), nullptr);
  EXPECT_FALSE(SystemWindow::IsClassRegistered(String("Framed Class")));
  EXPECT_EQ(DestroySystemWindow(window), 1);
  EXPECT_EQ(log.Lines().back(), "ERROR. Невозможно удалить системное окно.");
}

TEST_F(SystemWindowTest, AWindowAlreadyInOutIsKeptAndOwnsTheNewOne) {
  ASSERT_EQ(CreateSystemWindow(&window, String("Owner"), 0, false, 32, 0, 0, 64, 64), 0);
  const WindowHandle owner = window;
  ASSERT_EQ(CreateSystemWindow(&window, String("Owned"), 0, false, 32, 0, 0, 32, 32), 0);
  EXPECT_EQ(window, owner);
  // SDL numbers its windows in order of creation.
  ASSERT_NE(SDL_GetWindowFromID(owner + 1), nullptr);
  InputManager::DispatchInput();
  EXPECT_EQ(DestroySystemWindow(owner), 0);
  EXPECT_EQ(test::QueuedEvents(), (std::vector<std::string>{"2,4,0,0", "2,4,0,0"}))
      << "both get WM_DESTROY";
  EXPECT_EQ(SDL_GetWindowFromID(owner + 1), nullptr);
  // The class name is global: the owner's class outlives its window.
  EXPECT_TRUE(SystemWindow::IsClassRegistered(String("Owner Class")));
}

TEST_F(SystemWindowTest, FullScreenTakesAModeOfTheFirstDisplayOrNothing) {
  // Xvfb offers one mode, 1280 x 1024 with 32-bit pixels as Windows counts
  // them (X8R8G8B8).
  ASSERT_EQ(CreateSystemWindow(&window, String("Full"), 0, true, 32, 0, 0, 1280, 1024), 0);
  ASSERT_TRUE(SystemWindow::IsOpen(window));
  SDL_Window* sdlWindow = SDL_GetWindowFromID(window);
  EXPECT_NE(SDL_GetWindowFlags(sdlWindow) & SDL_WINDOW_BORDERLESS, 0u);
  int x = -1;
  int y = -1;
  SDL_GetWindowPosition(sdlWindow, &x, &y);
  EXPECT_EQ(x, 0);
  EXPECT_EQ(y, 0);
  int32_t width = 0;
  int32_t height = 0;
  ASSERT_TRUE(SystemWindow::GetDrawableSize(window, &width, &height));
  EXPECT_EQ(width, 1280);
  EXPECT_EQ(height, 1024);
  // The device switches the display, as a full-screen device does.
  ASSERT_EQ(SDL_SetWindowFullscreen(sdlWindow, SDL_WINDOW_FULLSCREEN), 0) << SDL_GetError();
  EXPECT_EQ(DestroySystemWindow(window), 0);
  DisplayMode current;
  DisplayMode stored;
  ASSERT_TRUE(DisplayMode::Read(0, DisplayMode::CURRENT, current));
  ASSERT_TRUE(DisplayMode::Read(0, DisplayMode::STORED, stored));
  EXPECT_EQ(current.width, stored.width);
  EXPECT_EQ(current.height, stored.height);

  struct Request {
    int32_t colorBits, x, y, width, height;
  };
  for (const Request& request : {Request{32, 0, 0, 1234, 567}, Request{16, 0, 0, 1280, 1024},
                                 Request{32, 100, 0, 1280, 1024}}) {
    log.Clear();
    WindowHandle none = 0;
    EXPECT_EQ(CreateSystemWindow(&none, String("Full"), 0, true, request.colorBits, request.x,
                                 request.y, request.width, request.height),
              0);
    EXPECT_EQ(none, 0u);
    EXPECT_EQ(log.Lines(), (std::vector<std::string>{"INFO. Создание системного окна [Full].",
                                                     "WARNING. Указатель на окно равен 0."}));
    EXPECT_FALSE(SystemWindow::IsClassRegistered(String("Full Class")));
  }
}

TEST_F(SystemWindowTest, SdlEventsOfTheWindowBecomeTheEventsOfTheTable) {
  ASSERT_EQ(CreateSystemWindow(&window, String("Events"), 0, false, 32, 0, 0, 320, 240), 0);
  PumpMessages();
  InputManager::DispatchInput();

  PushKey(window, SDL_KEYDOWN, SDLK_a, SDL_SCANCODE_A);
  PushKey(window, SDL_KEYUP, SDLK_a, SDL_SCANCODE_A);
  PushKey(window, SDL_KEYDOWN, SDLK_SPACE, SDL_SCANCODE_SPACE);
  PushKey(window, SDL_KEYDOWN, SDLK_RSHIFT, SDL_SCANCODE_RSHIFT, KMOD_RSHIFT);
  // System keys make none: Alt itself, keys with Alt, F10; Ctrl+Alt is no
  // system key.
  PushKey(window, SDL_KEYDOWN, SDLK_LALT, SDL_SCANCODE_LALT, KMOD_LALT);
  PushKey(window, SDL_KEYDOWN, SDLK_x, SDL_SCANCODE_X, KMOD_LALT);
  PushKey(window, SDL_KEYUP, SDLK_LALT, SDL_SCANCODE_LALT);
  PushKey(window, SDL_KEYDOWN, SDLK_F10, SDL_SCANCODE_F10);
  PushKey(window, SDL_KEYDOWN, SDLK_q, SDL_SCANCODE_Q, KMOD_LCTRL | KMOD_RALT);
  // A point left of or above the client area comes only with a captured
  // mouse: x is unsigned, y keeps its sign.
  for (const auto& [x, y] : {std::pair{300, 200}, std::pair{-5, -3}}) {
    SDL_Event motion{};
    motion.type = SDL_MOUSEMOTION;
    motion.motion.windowID = window;
    motion.motion.x = x;
    motion.motion.y = y;
    SDL_PushEvent(&motion);
  }
  PushButton(window, SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT);
  PushButton(window, SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT);
  PushButton(window, SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT);
  PushButton(window, SDL_MOUSEBUTTONUP, SDL_BUTTON_MIDDLE);
  PushButton(window, SDL_MOUSEBUTTONDOWN, SDL_BUTTON_X1);
  SDL_Event event{};
  event.type = SDL_MOUSEWHEEL;
  event.wheel.windowID = window;
  event.wheel.y = 1;
  SDL_PushEvent(&event);
  // Another window's events are not ours.
  PushKey(window + 1000, SDL_KEYDOWN, SDLK_a, SDL_SCANCODE_A);
  // SIGTERM reaches the program as SDL_QUIT.
  event = SDL_Event{};
  event.type = SDL_QUIT;
  SDL_PushEvent(&event);

  EXPECT_EQ(PumpMessages(), 0);
  // clang-format off
  EXPECT_EQ(test::QueuedEvents(), (std::vector<std::string>{
      "0,1,10,0", "0,2,10,0", "0,1,97,0", "0,1,100,0", "0,1,26,0",
      "1,3,300,200", "1,3,65531,-3", "1,1,0,0", "1,2,0,0", "1,1,1,0", "1,2,2,0",
      "2,4,0,0",
  }));
  // clang-format on
}

TEST_F(SystemWindowTest, ClosingTheWindowQueuesACloseAndADestroyAndTheWindowIsGone) {
  ASSERT_EQ(CreateSystemWindow(&window, String("Closed"), 0, false, 32, 0, 0, 320, 240), 0);
  PumpMessages();
  InputManager::DispatchInput();
  SDL_Event event{};
  event.type = SDL_WINDOWEVENT;
  event.window.event = SDL_WINDOWEVENT_CLOSE;
  event.window.windowID = window;
  SDL_PushEvent(&event);
  PumpMessages();
  EXPECT_EQ(test::QueuedEvents(), (std::vector<std::string>{"2,4,0,0", "2,4,0,0"}));
  EXPECT_FALSE(SystemWindow::IsOpen(window));
  EXPECT_EQ(SDL_GetWindowFromID(window), nullptr);
  // As on Windows, the handle is dead; the class goes with a destruction
  // of no window.
  EXPECT_EQ(DestroySystemWindow(window), 1);
  EXPECT_TRUE(SystemWindow::IsClassRegistered(String("Closed Class")));
  EXPECT_EQ(DestroySystemWindow(0), 0);
  EXPECT_FALSE(SystemWindow::IsClassRegistered(String("Closed Class")));
}

// Another program's window, made on a connection of its own.
class ForeignWindowTest : public SystemWindowTest {
 protected:
  void SetUp() override {
    SystemWindowTest::SetUp();
    foreign = XOpenDisplay(nullptr);
    ASSERT_NE(foreign, nullptr);
    parent = XCreateSimpleWindow(foreign, DefaultRootWindow(foreign), 0, 0, 320, 240, 0, 0, 0);
    XMapWindow(foreign, parent);
    XSync(foreign, False);
  }
  void TearDown() override {
    SystemWindowTest::TearDown();
    if (foreign != nullptr) XCloseDisplay(foreign);
  }

  Display* foreign = nullptr;
  Window parent = 0;
};

TEST_F(ForeignWindowTest, AChildFillsTheWindowDrawsIntoItFollowsItsSizeAndEndsWithIt) {
  ASSERT_EQ(CreateSystemWindow(&window, String("Preview"), parent, false, 32, 0, 0, 640, 480), 0);
  SDL_Window* sdlWindow = SDL_GetWindowFromID(window);
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  ASSERT_TRUE(SDL_GetWindowWMInfo(sdlWindow, &info));
  const Window child = info.info.x11.window;
  Window root = 0;
  Window actualParent = 0;
  Window* children = nullptr;
  unsigned int count = 0;
  ASSERT_NE(XQueryTree(foreign, child, &root, &actualParent, &children, &count), 0);
  XFree(children);
  EXPECT_EQ(actualParent, parent);
  XWindowAttributes attributes;
  ASSERT_NE(XGetWindowAttributes(foreign, child, &attributes), 0);
  EXPECT_EQ(attributes.x, 0);
  EXPECT_EQ(attributes.y, 0);
  EXPECT_EQ(attributes.width, 320);
  EXPECT_EQ(attributes.height, 240);
  EXPECT_EQ(attributes.map_state, IsViewable);

  // What a device does: a context on the window, a clear, a present. The
  // other program sees the picture in its window.
  SDL_GLContext context = SDL_GL_CreateContext(sdlWindow);
  ASSERT_NE(context, nullptr) << SDL_GetError();
  using ClearColor = void (*)(float, float, float, float);
  using Clear = void (*)(unsigned int);
  const unsigned int colorBufferBit = 0x4000;
  reinterpret_cast<ClearColor>(SDL_GL_GetProcAddress("glClearColor"))(1.0f, 0.0f, 0.0f, 1.0f);
  reinterpret_cast<Clear>(SDL_GL_GetProcAddress("glClear"))(colorBufferBit);
  SDL_GL_SwapWindow(sdlWindow);
  XSync(info.info.x11.display, False);
  XImage* image = XGetImage(foreign, parent, 160, 120, 1, 1, AllPlanes, ZPixmap);
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(XGetPixel(image, 0, 0) & 0xFFFFFF, 0xFF0000u);
  XDestroyImage(image);
  SDL_GL_DeleteContext(context);

  XResizeWindow(foreign, parent, 400, 300);
  XSync(foreign, False);
  int32_t width = 0;
  int32_t height = 0;
  EXPECT_TRUE(PumpUntil([&] {
    return SystemWindow::GetDrawableSize(window, &width, &height) && width == 400 && height == 300;
  })) << width
      << "x" << height;
  InputManager::DispatchInput();

  XDestroyWindow(foreign, parent);
  XSync(foreign, False);
  EXPECT_TRUE(PumpUntil([&] { return !SystemWindow::IsOpen(window); }));
  EXPECT_EQ(test::QueuedEvents(), (std::vector<std::string>{"2,4,0,0"})) << "WM_DESTROY";
  EXPECT_EQ(DestroySystemWindow(window), 1);
  EXPECT_EQ(DestroySystemWindow(0), 0);

  // Our connection still works after the errors the dead windows caused.
  WindowHandle framed = 0;
  ASSERT_EQ(CreateSystemWindow(&framed, String("After"), 0, false, 32, 0, 0, 64, 64), 0);
  EXPECT_EQ(DestroySystemWindow(framed), 0);
}

TEST_F(ForeignWindowTest, AParentThatIsGoneFailsTheCreation) {
  XDestroyWindow(foreign, parent);
  XSync(foreign, False);
  EXPECT_EQ(CreateSystemWindow(&window, String("Preview"), parent, false, 32, 0, 0, 640, 480), 1);
  EXPECT_EQ(window, 0u);
  EXPECT_TRUE(log.Contains("WARNING. Указатель на окно равен 0."));
  EXPECT_EQ(log.Lines().back(), "ERROR. Невозможно создать окно [Preview].");
  EXPECT_FALSE(SystemWindow::IsClassRegistered(String("Preview Class")));
}

TEST_F(SystemWindowTest, TheCursorShowsWhileItsCountIsNotNegative) {
  EXPECT_EQ(SystemCursor::Show(false), -1);
  EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE);
  EXPECT_EQ(SystemCursor::Show(false), -2);
  EXPECT_EQ(SystemCursor::Show(true), -1);
  EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE);
  EXPECT_EQ(SystemCursor::Show(true), 0);
  EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_ENABLE);
}

}  // namespace
}  // namespace ynx
