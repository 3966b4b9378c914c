#include "tools/common/ToolLog.h"

#include <cstdio>

#include "engine/core/Log.h"

namespace ynx::tools {

void ToolLog::Print(int32_t level, const String& message) {
  if (level == LOG_INFO) return;
  if (level >= LOG_ERROR) ++errors;
  std::fprintf(stderr, "%s: engine: %s%s\n", program, LevelPrefix(level), message.CStr());
}

}  // namespace ynx::tools
