#pragma once

#include "engine/core/MessageOutput.h"

namespace ynx::tools {

// Hands the engine's warnings and errors to standard error (its progress
// lines are left out) and counts the errors, so that a command can tell
// whether a step went wrong.
class ToolLog : public MessageOutput {
 public:
  // Each line starts with "PROGRAM: engine: ".
  explicit ToolLog(const char* program) : MessageOutput(String("stderr")), program(program) {}

  void Print(int32_t level, const String& message) override;

  int32_t GetErrorCount() const { return errors; }

 private:
  const char* program;
  int32_t errors = 0;
};

}  // namespace ynx::tools
