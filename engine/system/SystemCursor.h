#pragma once

#include <cstdint>

namespace ynx {

// The mouse cursor over the program's windows, counted as Win32's
// ShowCursor counts: visible while the count is 0 or more.
class SystemCursor {
 public:
  // Raises or lowers the count and returns it.
  static int32_t Show(bool show);

 private:
  static inline int32_t count = 0;
};

}  // namespace ynx
