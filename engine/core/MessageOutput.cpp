#include "engine/core/MessageOutput.h"

#include "engine/core/Log.h"

namespace ynx {

const char* MessageOutput::LevelPrefix(int32_t level) {
  switch (level) {
    case LOG_INFO:
      return "INFO. ";
    case LOG_WARNING:
      return "WARNING. ";
    case LOG_ERROR:
      return "ERROR. ";
    case LOG_CRITICAL:
      return "CRITICAL ERROR. ";
    default:
      return "UNKNOWN. ";
  }
}

}  // namespace ynx
