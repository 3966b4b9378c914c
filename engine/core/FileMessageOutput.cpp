#include "engine/core/FileMessageOutput.h"

namespace ynx {

FileMessageOutput::FileMessageOutput(const String& path, const String& name)
    : MessageOutput(name.IsEmpty() ? path : name) {
  if (!path.IsEmpty()) file = std::fopen(path.CStr(), "w");
}

FileMessageOutput::~FileMessageOutput() {
  if (file != nullptr) std::fclose(file);
}

void FileMessageOutput::Print(int32_t level, const String& message) {
  if (file == nullptr) return;
  std::fputs(LevelPrefix(level), file);
  std::fwrite(message.CStr(), 1, static_cast<size_t>(message.Length()), file);
  std::fputc('\n', file);
  // A saver is often ended by a kill or a crash: the lines that explain it
  // must be on disk already.
  std::fflush(file);
}

}  // namespace ynx
