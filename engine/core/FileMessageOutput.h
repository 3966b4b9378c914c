#pragma once

#include <cstdio>

#include "engine/core/MessageOutput.h"

namespace ynx {

// Writes each message as one line "<LEVEL>. <text>" to a text file, which is
// emptied when the output is made. A file that cannot be opened leaves the
// output silent.
class FileMessageOutput : public MessageOutput {
 public:
  // An empty name takes the path as the output's name.
  FileMessageOutput(const String& path, const String& name);
  ~FileMessageOutput() override;

  void Print(int32_t level, const String& message) override;
  bool IsOpen() const { return file != nullptr; }

 private:
  std::FILE* file = nullptr;
};

}  // namespace ynx
