#pragma once

#include <cstdint>

#include "engine/core/Named.h"
#include "engine/core/RefCounted.h"

namespace ynx {

// Receiver of formatted log messages.
class MessageOutput : public virtual RefCounted, public Named {
 public:
  explicit MessageOutput(const String& name) : Named(name) {}

  virtual void Print(int32_t level, const String& message) = 0;

  // "INFO. ", "WARNING. ", "ERROR. ", "CRITICAL ERROR. " or "UNKNOWN. ".
  static const char* LevelPrefix(int32_t level);
};

}  // namespace ynx
