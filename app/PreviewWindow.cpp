#include "app/PreviewWindow.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <iterator>

#include "engine/core/Log.h"
#include "engine/io/Image.h"

// After the engine's headers: Xlib defines macros such as Status and None.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/cursorfont.h>

namespace ynx {
namespace {

// The error handler is global to the process: it takes the errors of the
// preview's connection that concern the child or its parent (the other
// program may destroy its window at any moment) and hands the rest on.
struct ErrorTrap {
  Display* display = nullptr;
  Window window = 0;
  Window parent = 0;
  // While the window is made, any error of the connection means failure.
  bool catchAll = false;
  uint32_t caught = 0;
  XErrorHandler previous = nullptr;
};
ErrorTrap trap;

int OnXError(Display* display, XErrorEvent* error) {
  if (display == trap.display &&
      (trap.catchAll || error->resourceid == trap.window || error->resourceid == trap.parent)) {
    ++trap.caught;
    return 0;
  }
  return trap.previous != nullptr ? trap.previous(display, error) : 0;
}

// The write end of the running preview's wake pipe, for the signal handler.
std::atomic<int> signalFd{-1};
constexpr int SIGNALS[] = {SIGTERM, SIGINT};

void Wake(int fd) {
  const int saved = errno;
  const char byte = 1;
  [[maybe_unused]] const ssize_t written = write(fd, &byte, 1);
  errno = saved;
}

void OnSignal(int) { Wake(signalFd.load()); }

// An 8-bit level placed in a visual's channel mask.
struct Channel {
  int shift = 0;
  uint64_t top = 0;

  explicit Channel(uint64_t mask) {
    while (mask != 0 && (mask & 1) == 0) {
      mask >>= 1;
      ++shift;
    }
    top = mask;
  }
  unsigned long Place(float level) const {
    const uint64_t byte = static_cast<uint64_t>(std::clamp(level, 0.0f, 255.0f) + 0.5f);
    return static_cast<unsigned long>((byte * top + 127) / 255 << shift);
  }
};

}  // namespace

bool PreviewWindow::Create(uint64_t parentId, const String& className, const Image& source) {
  Destroy();
  if (trap.display != nullptr) {
    LogError("Окно предпросмотра уже создано.");
    return false;
  }
  display = XOpenDisplay(nullptr);
  if (display == nullptr) {
    LogError("Невозможно подключиться к X-серверу [%s].", XDisplayName(nullptr));
    return false;
  }
  parent = parentId;
  trap = ErrorTrap{display, 0, parent, true, 0, XSetErrorHandler(&OnXError)};
  XWindowAttributes attributes;
  if (parent == 0 || XGetWindowAttributes(display, parent, &attributes) == 0) {
    LogError("Родительское окно [0x%llx] недоступно.", static_cast<unsigned long long>(parent));
    Destroy();
    return false;
  }
  if (attributes.visual->c_class != TrueColor ||
      (attributes.depth != 24 && attributes.depth != 32)) {
    LogError("Формат пикселей окна [0x%llx] не поддерживается: класс %d, глубина %d.",
             static_cast<unsigned long long>(parent), attributes.visual->c_class, attributes.depth);
    Destroy();
    return false;
  }
  if (pipe2(wake, O_NONBLOCK | O_CLOEXEC) != 0) {
    LogError("Невозможно создать канал окна предпросмотра [%d].", errno);
    Destroy();
    return false;
  }
  masks[0] = attributes.visual->red_mask;
  masks[1] = attributes.visual->green_mask;
  masks[2] = attributes.visual->blue_mask;
  depth = attributes.depth;

  // No background: the picture covers the window, and the server would
  // only clear it before every expose.
  XSetWindowAttributes settings{};
  settings.background_pixmap = None;
  settings.event_mask = ExposureMask | StructureNotifyMask;
  window =
      XCreateWindow(display, parent, 0, 0, attributes.width, attributes.height, 0, CopyFromParent,
                    InputOutput, CopyFromParent, CWBackPixmap | CWEventMask, &settings);
  trap.window = window;
  XStoreName(display, window, className.CStr());
  XClassHint hint{const_cast<char*>(className.CStr()), const_cast<char*>(className.CStr())};
  XSetClassHint(display, window, &hint);
  const Cursor arrow = XCreateFontCursor(display, XC_left_ptr);
  XDefineCursor(display, window, arrow);
  XFreeCursor(display, arrow);
  protocolsAtom = XInternAtom(display, "WM_PROTOCOLS", False);
  deleteAtom = XInternAtom(display, "WM_DELETE_WINDOW", False);
  Atom protocols[] = {deleteAtom};
  XSetWMProtocols(display, window, protocols, 1);
  // The parent's resizes and end; our selection on it is our connection's
  // own and goes with it.
  XSelectInput(display, parent, StructureNotifyMask);
  context = XCreateGC(display, window, 0, nullptr);
  XMapWindow(display, window);
  XSync(display, False);
  if (trap.caught != 0) {
    LogError("Родительское окно [0x%llx] недоступно.", static_cast<unsigned long long>(parent));
    Destroy();
    return false;
  }
  trap.catchAll = false;

  picture = PictureScaler(source);
  if (picture.IsEmpty()) LogWarning("Нет картинки для окна предпросмотра [%s].", source.GetName().CStr());
  Rescale(static_cast<uint32_t>(attributes.width), static_cast<uint32_t>(attributes.height));
  return true;
}

int32_t PreviewWindow::Run() {
  if (display == nullptr || window == 0) return 1;
  // Idle priority for good: only the teardown follows, and raising it back
  // would need privileges. Linux keeps nice values per thread.
  setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), 19);
  // SDL, when started, has handlers of its own that only queue an event
  // nobody reads here; ours end the loop and are put back afterwards.
  signalFd = wake[1];
  struct sigaction handler {};
  handler.sa_handler = &OnSignal;
  sigemptyset(&handler.sa_mask);
  struct sigaction previous[std::size(SIGNALS)];
  for (size_t i = 0; i < std::size(SIGNALS); ++i) sigaction(SIGNALS[i], &handler, &previous[i]);

  int32_t result = 0;
  while (HandleEvents()) {
    // Flushing may read what the server sent meanwhile into the queue,
    // where poll would not see it.
    if (XPending(display) > 0) continue;
    pollfd waits[] = {{ConnectionNumber(display), POLLIN, 0}, {wake[0], POLLIN, 0}};
    if (poll(waits, std::size(waits), -1) < 0 && errno != EINTR) {
      LogError("Неудачно ожидание событий окна предпросмотра [%d].", errno);
      result = 1;
      break;
    }
    if (waits[1].revents != 0) break;
  }

  for (size_t i = 0; i < std::size(SIGNALS); ++i) sigaction(SIGNALS[i], &previous[i], nullptr);
  signalFd = -1;
  char drained[16];
  while (read(wake[0], drained, sizeof(drained)) > 0) {
  }
  return result;
}

void PreviewWindow::Stop() {
  if (wake[1] >= 0) Wake(wake[1]);
}

bool PreviewWindow::HandleEvents() {
  uint32_t newWidth = width;
  uint32_t newHeight = height;
  while (XPending(display) > 0) {
    XEvent event;
    XNextEvent(display, &event);
    if (event.type == Expose) {
      exposed = true;
    } else if (event.type == ConfigureNotify && event.xconfigure.window == parent) {
      newWidth = static_cast<uint32_t>(event.xconfigure.width);
      newHeight = static_cast<uint32_t>(event.xconfigure.height);
    } else if (event.type == DestroyNotify &&
               (event.xdestroywindow.window == window || event.xdestroywindow.window == parent)) {
      // The child goes before its parent; either way it is gone.
      window = 0;
      return false;
    } else if (event.type == ClientMessage && event.xclient.message_type == protocolsAtom &&
               static_cast<Atom>(event.xclient.data.l[0]) == deleteAtom) {
      return false;
    }
  }
  // One rescale for a burst of resizes; the server exposes the resized
  // window, which draws it.
  if (newWidth != width || newHeight != height) {
    XResizeWindow(display, window, newWidth, newHeight);
    Rescale(newWidth, newHeight);
  }
  if (exposed) Draw();
  return true;
}

void PreviewWindow::Rescale(uint32_t newWidth, uint32_t newHeight) {
  width = newWidth;
  height = newHeight;
  if (scaled != nullptr) XDestroyImage(scaled);
  scaled = nullptr;
  const std::vector<uint8_t> levels = picture.Scale(width, height);
  if (levels.empty()) return;
  XImage* image = XCreateImage(display, nullptr, static_cast<unsigned>(depth), ZPixmap, 0, nullptr,
                               width, height, 32, 0);
  if (image != nullptr) {
    image->data =
        static_cast<char*>(std::malloc(static_cast<size_t>(image->bytes_per_line) * height));
  }
  if (image == nullptr || image->data == nullptr) {
    LogError("Недостаточно памяти для картинки окна предпросмотра %ux%u.", width, height);
    if (image != nullptr) XDestroyImage(image);
    return;
  }
  const Channel channels[] = {Channel(masks[0]), Channel(masks[1]), Channel(masks[2])};
  // What the colour masks leave of a 32-bit pixel is alpha: opaque.
  const unsigned long opaque = depth == 32 ? ~(masks[0] | masks[1] | masks[2]) & 0xFFFFFFFFul : 0ul;
  const uint8_t* level = levels.data();
  for (uint32_t y = 0; y < height; ++y) {
    for (uint32_t x = 0; x < width; ++x, level += 3) {
      XPutPixel(image, static_cast<int>(x), static_cast<int>(y),
                opaque | channels[0].Place(level[0]) | channels[1].Place(level[1]) |
                    channels[2].Place(level[2]));
    }
  }
  scaled = image;
}

void PreviewWindow::Draw() {
  exposed = false;
  if (scaled == nullptr || window == 0) return;
  XPutImage(display, window, context, scaled, 0, 0, 0, 0, width, height);
}

void PreviewWindow::Destroy() {
  if (display != nullptr) {
    if (scaled != nullptr) XDestroyImage(scaled);
    if (context != nullptr) XFreeGC(display, context);
    if (window != 0) XDestroyWindow(display, window);
    // Errors about windows that vanished arrive here, still trapped.
    XSync(display, False);
    if (trap.display == display) {
      XSetErrorHandler(trap.previous);
      trap = ErrorTrap{};
    }
    XCloseDisplay(display);
  }
  for (int& fd : wake) {
    if (fd >= 0) close(fd);
    fd = -1;
  }
  display = nullptr;
  context = nullptr;
  scaled = nullptr;
  parent = window = 0;
  width = height = 0;
  exposed = false;
  picture = PictureScaler();
}

}  // namespace ynx
