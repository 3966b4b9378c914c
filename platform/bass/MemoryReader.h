#pragma once

#include <cstddef>
#include <cstdint>

namespace ynx::bass {

// A read cursor over a caller's block of bytes, in the shape of the C stdio
// calls libvorbisfile reads through. Never reads outside the block.
class MemoryReader {
 public:
  MemoryReader(const uint8_t* data, size_t size) : data(data), size(size) {}

  size_t Read(void* out, size_t elementSize, size_t count);
  // 0 on success, -1 for a position outside the block.
  int Seek(int64_t offset, int whence);
  long Tell() const { return static_cast<long>(position); }

 private:
  const uint8_t* data;
  size_t size;
  size_t position = 0;
};

}  // namespace ynx::bass
