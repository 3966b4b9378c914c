#pragma once

#include <string>
#include <vector>

#include "engine/core/MessageOutput.h"
#include "engine/core/Ptr.h"

namespace ynx::test {

// Registers itself as a log output for its lifetime and keeps every line as
// the file output would write it ("INFO. text"), without the newline.
class CapturedLog {
 public:
  CapturedLog();
  ~CapturedLog();

  const std::vector<std::string>& Lines() const;
  bool Contains(const std::string& line) const;
  // The lines that match one of the given prefixes, in order.
  std::vector<std::string> Filtered(const std::vector<std::string>& prefixes) const;
  void Clear();

 private:
  class Output;
  Ptr<Output> output;
};

}  // namespace ynx::test
