#include "tools/image/StderrLog.h"

#include <cstdio>

#include "engine/core/Log.h"

namespace ynx::tools {

void StderrLog::Print(int32_t level, const String& message) {
  if (level == LOG_INFO) return;
  std::fprintf(stderr, "ynx-image: engine: %s%s\n", LevelPrefix(level), message.CStr());
}

}  // namespace ynx::tools
