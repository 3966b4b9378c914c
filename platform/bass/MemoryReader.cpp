#include "platform/bass/MemoryReader.h"

#include <cstdio>
#include <cstring>

namespace ynx::bass {

size_t MemoryReader::Read(void* out, size_t elementSize, size_t count) {
  if (elementSize == 0 || count == 0) return 0;
  const size_t left = size - position;
  const size_t elements = count < left / elementSize ? count : left / elementSize;
  std::memcpy(out, data + position, elements * elementSize);
  position += elements * elementSize;
  return elements;
}

int MemoryReader::Seek(int64_t offset, int whence) {
  int64_t base = 0;
  switch (whence) {
    case SEEK_SET: base = 0; break;
    case SEEK_CUR: base = static_cast<int64_t>(position); break;
    case SEEK_END: base = static_cast<int64_t>(size); break;
    default: return -1;
  }
  if (offset < -base || offset > static_cast<int64_t>(size) - base) return -1;
  position = static_cast<size_t>(base + offset);
  return 0;
}

}  // namespace ynx::bass
