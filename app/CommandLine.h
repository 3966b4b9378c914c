#pragma once

#include <cstdint>

namespace ynx {

// What the screensaver host asks for.
enum RunMode : int32_t {
  RUN_MODE_PREVIEW = 0,      // p, with a parent window
  RUN_MODE_SCREENSAVER = 1,  // s, and any letter not listed
  RUN_MODE_TEST = 2,         // t: exactly as the screensaver
  RUN_MODE_CONFIGURE = 3,    // c, or no switch at all
  RUN_MODE_PASSWORD = 4,     // a: nothing is started
};

struct CommandLine {
  int32_t mode = RUN_MODE_CONFIGURE;
  // The window a switch named (an X11 window id here); 0 when none.
  uint64_t parentWindow = 0;
};

// Reads the switch from a full command line, program path first. Cannot fail.
CommandLine ParseCommandLine(const char* line);

}  // namespace ynx
