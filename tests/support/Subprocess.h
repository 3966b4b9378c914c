#pragma once

#include <string>

namespace ynx::test {

struct Outcome {
  int exitCode = -1;
  // Standard output and standard error together.
  std::string output;
};

// Runs a shell command line and waits for it, as a user at a terminal would.
Outcome RunCommand(const std::string& command);

}  // namespace ynx::test
