#pragma once

#include <cstdint>

#include "app/PictureScaler.h"
#include "engine/core/String.h"

// Xlib's own names, so that its macros (None, Status, Bool) stay out of
// every file that includes this one.
struct _XDisplay;
struct _XGC;
struct _XImage;

namespace ynx {

class Image;

// The preview (/p N): a child that fills another program's X11 window and
// shows a still picture, scaled once to its size and put on screen on every
// expose. It talks to the X server over a connection of its own, so it
// needs neither SDL nor the engine's windows. One preview at a time.
class PreviewWindow {
 public:
  PreviewWindow() = default;
  ~PreviewWindow() { Destroy(); }
  PreviewWindow(const PreviewWindow&) = delete;
  PreviewWindow& operator=(const PreviewWindow&) = delete;

  // The child of `parent` with the class name as its title and class; the
  // picture is copied, so it may go once this returns. False, with a log
  // line, without a display, without the parent (0 or gone), on a visual
  // that is not 24- or 32-bit TrueColor, or while another preview lives.
  // A picture without pixels leaves the window empty.
  bool Create(uint64_t parent, const String& className, const Image& picture);
  // Waits for events at idle priority until the child or its parent is
  // destroyed, the child is asked to close, SIGTERM or SIGINT arrives, or
  // Stop is called: then 0. 1 without a window or when waiting fails.
  int32_t Run();
  // What SIGTERM does: Run returns. Safe in a signal handler and from
  // another thread.
  void Stop();
  // Destroys the child if it still exists (the parent may be gone already)
  // and closes the connection. Safe to call twice, or after a failed Create.
  void Destroy();

  // The child's X window id; 0 when there is none.
  uint64_t GetWindow() const { return window; }

 private:
  // Handles every queued event; false once the window has ended.
  bool HandleEvents();
  // The picture at that size in the window's pixel format; no picture
  // when memory runs out.
  void Rescale(uint32_t width, uint32_t height);
  void Draw();

  _XDisplay* display = nullptr;
  _XGC* context = nullptr;
  _XImage* scaled = nullptr;
  uint64_t parent = 0;
  uint64_t window = 0;
  uint64_t deleteAtom = 0;
  uint64_t protocolsAtom = 0;
  // The visual's channel masks and depth, for composing pixels.
  uint64_t masks[3] = {};
  int32_t depth = 0;
  uint32_t width = 0;
  uint32_t height = 0;
  bool exposed = false;
  // Stop's and the signal handler's way into the wait.
  int wake[2] = {-1, -1};
  PictureScaler picture;
};

}  // namespace ynx
