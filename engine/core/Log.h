#pragma once

#include <cstdint>

namespace ynx {

class MessageOutput;

enum LogLevel : int32_t {
  LOG_INFO = 0,
  LOG_WARNING = 1,
  LOG_ERROR = 2,
  LOG_CRITICAL = 3,
};

// printf-style; the formatted text is cut at 4095 bytes and handed unchanged
// to every registered output, in registration order.
void LogInfo(const char* format, ...) __attribute__((format(printf, 1, 2)));
void LogWarning(const char* format, ...) __attribute__((format(printf, 1, 2)));
void LogError(const char* format, ...) __attribute__((format(printf, 1, 2)));
void LogCritical(const char* format, ...) __attribute__((format(printf, 1, 2)));

// 3 for a null output; registering twice keeps one entry (with a warning).
int32_t RegisterMessageOutput(MessageOutput* output);
// 3 when the output is not registered.
int32_t UnregisterMessageOutput(MessageOutput* output);

}  // namespace ynx
