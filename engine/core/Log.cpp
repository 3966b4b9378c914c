#include "engine/core/Log.h"

#include <cstdarg>
#include <cstdio>

#include "engine/core/Array.h"
#include "engine/core/MessageOutput.h"
#include "engine/core/Ptr.h"

namespace ynx {
namespace {

constexpr int MESSAGE_CAPACITY = 4096;

// The output list outlives every other static: it is made on first use and,
// at exit, emptied (closing the files) by a guard whose destructor runs after
// the statics that were constructed later. Log calls after that go nowhere.
constinit bool outputsClosed = false;

Array<Ptr<MessageOutput>>& Outputs() {
  static Array<Ptr<MessageOutput>>* outputs = new Array<Ptr<MessageOutput>>(1, 1);
  static struct Closer {
    ~Closer() {
      outputsClosed = true;
      delete outputs;
    }
  } closer;
  return *outputs;
}

void Dispatch(int32_t level, const char* format, va_list arguments) {
  if (outputsClosed || Outputs().Count() == 0) return;
  char text[MESSAGE_CAPACITY];
  std::vsnprintf(text, sizeof text, format, arguments);
  // The list may change while it is walked (an output unregistering itself).
  for (uint32_t i = 0; i < Outputs().Count(); ++i) {
    const Ptr<MessageOutput> output = Outputs()[i];
    output->Print(level, String(text));
  }
}

}  // namespace

#define YNX_DEFINE_LOG_FUNCTION(Name, level) \
  void Name(const char* format, ...) {       \
    va_list arguments;                       \
    va_start(arguments, format);             \
    Dispatch(level, format, arguments);      \
    va_end(arguments);                       \
  }

YNX_DEFINE_LOG_FUNCTION(LogInfo, LOG_INFO)
YNX_DEFINE_LOG_FUNCTION(LogWarning, LOG_WARNING)
YNX_DEFINE_LOG_FUNCTION(LogError, LOG_ERROR)
YNX_DEFINE_LOG_FUNCTION(LogCritical, LOG_CRITICAL)

int32_t RegisterMessageOutput(MessageOutput* output) {
  if (output == nullptr || outputsClosed) return 3;
  if (Outputs().IndexOf(output) >= 0) {
    LogWarning("Объект вывода сообщений уже зарегестрирован. [%s]", output->GetName().CStr());
    return 0;
  }
  Outputs().Append(output);
  LogInfo("Объект вывода сообщений зарегестрирован. [%s]", output->GetName().CStr());
  return 0;
}

int32_t UnregisterMessageOutput(MessageOutput* output) {
  if (output == nullptr || outputsClosed) return 3;
  const int32_t index = Outputs().IndexOf(output);
  if (index < 0) return 3;
  LogInfo("Объект вывода сообщений разрегестрирован. [%s]", output->GetName().CStr());
  Outputs().RemoveAt(static_cast<uint32_t>(index));
  return 0;
}

}  // namespace ynx
