#pragma once

#include "engine/system/SystemWindow.h"

namespace ynx {

// Whether a frame drawn into the window could be seen: not while the
// display sleeps (DPMS), nor while the window is hidden or minimised, nor
// while it or any window it sits in is unmapped (another program's window
// that holds ours included). A window that has gone counts as seen, so
// that the frame loop finds out in its own way.
class ShowVisibility {
 public:
  static bool IsVisible(WindowHandle window);
};

}  // namespace ynx
