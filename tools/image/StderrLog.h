#pragma once

#include "engine/core/MessageOutput.h"

namespace ynx::tools {

// Hands the engine's warnings and errors (why a codec refused a file) to
// standard error; its progress messages are left out.
class StderrLog : public MessageOutput {
 public:
  StderrLog() : MessageOutput(String("stderr")) {}

  void Print(int32_t level, const String& message) override;
};

}  // namespace ynx::tools
